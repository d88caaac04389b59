#include "pe_file.h"

#include <algorithm>
#include <cstring>

#include "support/pe_headers.h"

namespace jlpack {

namespace {

constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr size_t kResourceDirectory = 2, kSecurityDirectory = 4, kRelocationDirectory = 5;
// Bounds that no launcher comes near; they stop a damaged tree from costing
// unbounded time or memory.
constexpr size_t kMaxResources = 20000;
constexpr size_t kMaxDirectoryEntries = 100000;
constexpr size_t kMaxResourceBytes = 64u << 20;
constexpr size_t kMaxSections = 96;

void write16(Bytes& bytes, size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void write32(Bytes& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

bool fail(std::string* problem, const char* text) {
    if (problem) *problem = text;
    return false;
}

// Names sort before numbers; names compare case-insensitively (ASCII), numbers by value.
bool nameLess(const ResourceName& a, const ResourceName& b) {
    if (a.named != b.named) return a.named;
    if (!a.named) return a.id < b.id;
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                        [&](char16_t x, char16_t y) { return upper(x) < upper(y); });
}
bool resourceLess(const Resource& a, const Resource& b) {
    if (nameLess(a.type, b.type)) return true;
    if (nameLess(b.type, a.type)) return false;
    if (nameLess(a.name, b.name)) return true;
    if (nameLess(b.name, a.name)) return false;
    return a.language < b.language;
}

class ResourceReader {
public:
    ResourceReader(ByteView section, std::uint32_t sectionRva) : section_(section), rva_(sectionRva) {}

    bool read(std::vector<Resource>& out, std::string* problem) {
        Resource path;
        return readDirectory(0, 0, path, out, problem);
    }

private:
    bool readName(std::uint32_t field, ResourceName& name) {
        if (!(field & 0x80000000u)) {
            if (field > 0xFFFF) return false;
            name = ResourceName::number(static_cast<std::uint16_t>(field));
            return true;
        }
        const size_t at = field & 0x7FFFFFFFu;
        if (at + 2 > section_.size()) return false;
        const size_t length = readLittleEndian16(section_, at);
        if (at + 2 + length * 2 > section_.size()) return false;
        name.named = true;
        name.id = 0;
        name.text.clear();
        for (size_t i = 0; i < length; ++i) name.text += static_cast<char16_t>(readLittleEndian16(section_, at + 2 + i * 2));
        return true;
    }

    bool readDirectory(size_t at, int depth, Resource& path, std::vector<Resource>& out, std::string* problem) {
        if (at + 16 > section_.size()) return fail(problem, "its resource directory runs past the resource section");
        const size_t count = static_cast<size_t>(readLittleEndian16(section_, at + 12)) + readLittleEndian16(section_, at + 14);
        if (at + 16 + count * 8 > section_.size()) return fail(problem, "its resource directory runs past the resource section");
        entriesSeen_ += count;
        if (entriesSeen_ > kMaxDirectoryEntries) return fail(problem, "its resource directory is damaged (too many entries)");
        for (size_t i = 0; i < count; ++i) {
            const size_t entry = at + 16 + i * 8;
            ResourceName name;
            if (!readName(readLittleEndian32(section_, entry), name)) return fail(problem, "a resource name lies outside the resource section");
            const std::uint32_t target = readLittleEndian32(section_, entry + 4);
            const bool isDirectory = (target & 0x80000000u) != 0;
            if (isDirectory != (depth < 2)) return fail(problem, "its resource directory is not three levels deep");
            if (depth == 0) path.type = name;
            if (depth == 1) path.name = name;
            if (isDirectory) {
                if (!readDirectory(target & 0x7FFFFFFFu, depth + 1, path, out, problem)) return false;
                continue;
            }
            if (name.named) return fail(problem, "a resource language is a name");
            if (out.size() >= kMaxResources) return fail(problem, "it holds too many resources");
            if (target + 16ull > section_.size()) return fail(problem, "a resource entry lies outside the resource section");
            const std::uint32_t dataRva = readLittleEndian32(section_, target), size = readLittleEndian32(section_, target + 4);
            if (dataRva < rva_ || dataRva - rva_ + static_cast<std::uint64_t>(size) > section_.size()) {
                return fail(problem, "a resource's data lies outside the resource section");
            }
            bytesSeen_ += size;
            if (bytesSeen_ > kMaxResourceBytes) return fail(problem, "its resources are damaged (too much data)");
            Resource resource = path;
            resource.language = name.id;
            resource.codePage = readLittleEndian32(section_, target + 8);
            const auto first = section_.begin() + (dataRva - rva_);
            resource.data.assign(first, first + size);
            out.push_back(std::move(resource));
        }
        return true;
    }

    ByteView section_;
    std::uint32_t rva_;
    size_t entriesSeen_ = 0, bytesSeen_ = 0;
};

} // namespace

const Resource* ResourceTable::find(std::uint16_t type, std::uint16_t id) const {
    for (const Resource& resource : resources_) {
        if (resource.type == ResourceName::number(type) && resource.name == ResourceName::number(id)) return &resource;
    }
    return nullptr;
}

std::vector<const Resource*> ResourceTable::ofType(std::uint16_t type) const {
    std::vector<const Resource*> found;
    for (const Resource& resource : resources_) {
        if (resource.type == ResourceName::number(type)) found.push_back(&resource);
    }
    return found;
}

void ResourceTable::put(Resource resource) {
    auto at = std::lower_bound(resources_.begin(), resources_.end(), resource, resourceLess);
    if (at != resources_.end() && !resourceLess(resource, *at)) {
        *at = std::move(resource);
    } else {
        resources_.insert(at, std::move(resource));
    }
}

void ResourceTable::remove(std::uint16_t type, const ResourceName& name) {
    std::erase_if(resources_, [&](const Resource& r) { return r.type == ResourceName::number(type) && r.name == name; });
}

std::optional<PeImage> parsePeImage(ByteView bytes, std::string* problem) {
    PeImage image;
    if (!jl::hasDosHeader(bytes)) {
        fail(problem, "it is not a Windows executable (no MZ header)");
        return std::nullopt;
    }
    const std::optional<jl::PeFileHeader> header = jl::readPeFileHeader(bytes);
    if (!header || !header->complete) {
        fail(problem, "it is truncated or damaged (no PE header)");
        return std::nullopt;
    }
    if (header->machine != jl::kMachineAmd64) {
        fail(problem, "it is not a 64-bit (x64) Windows executable");
        return std::nullopt;
    }
    const size_t sectionCount = header->sectionCount;
    const size_t optionalSize = header->optionalHeaderSize;
    image.optionalHeaderOffset = static_cast<std::uint32_t>(header->optionalHeaderOffset());
    image.sectionTableOffset = static_cast<std::uint32_t>(image.optionalHeaderOffset + optionalSize);
    if (optionalSize < 112 + 16 * 8 || image.sectionTableOffset + sectionCount * 40 > bytes.size() ||
        readLittleEndian16(bytes, image.optionalHeaderOffset) != kPe32Plus || readLittleEndian32(bytes, image.optionalHeaderOffset + 108) < 16) {
        fail(problem, "it is truncated or damaged (bad optional header)");
        return std::nullopt;
    }
    if (sectionCount == 0 || sectionCount > kMaxSections) {
        fail(problem, "it is damaged (bad section count)");
        return std::nullopt;
    }
    image.sectionAlignment = readLittleEndian32(bytes, image.optionalHeaderOffset + 32);
    image.fileAlignment = readLittleEndian32(bytes, image.optionalHeaderOffset + 36);
    if (image.fileAlignment < 512 || image.fileAlignment > 65536 || (image.fileAlignment & (image.fileAlignment - 1)) ||
        image.sectionAlignment < image.fileAlignment || (image.sectionAlignment & (image.sectionAlignment - 1))) {
        fail(problem, "it is damaged (bad alignment)");
        return std::nullopt;
    }
    auto directory = [&](size_t index) { return image.optionalHeaderOffset + 112 + index * 8; };
    for (size_t i = 0; i < sectionCount; ++i) {
        const size_t at = image.sectionTableOffset + i * 40;
        PeSection section;
        section.name.assign(reinterpret_cast<const char*>(&bytes[at]), strnlen(reinterpret_cast<const char*>(&bytes[at]), 8));
        section.virtualSize = readLittleEndian32(bytes, at + 8);
        section.virtualAddress = readLittleEndian32(bytes, at + 12);
        section.rawSize = readLittleEndian32(bytes, at + 16);
        section.rawPointer = readLittleEndian32(bytes, at + 20);
        if (section.rawSize && static_cast<std::uint64_t>(section.rawPointer) + section.rawSize > bytes.size()) {
            fail(problem, "it is truncated (a section runs past the end of the file)");
            return std::nullopt;
        }
        // Written back after the headers it would otherwise overlap.
        if (section.rawSize && section.rawPointer < image.sectionTableOffset + sectionCount * 40) {
            fail(problem, "it is damaged (a section overlaps the headers)");
            return std::nullopt;
        }
        image.sections.push_back(section);
    }
    const std::uint32_t resourceRva = readLittleEndian32(bytes, directory(kResourceDirectory));
    if (resourceRva == 0 || readLittleEndian32(bytes, directory(kResourceDirectory) + 4) == 0) {
        fail(problem, "it has no resource section");
        return std::nullopt;
    }
    const auto found = std::find_if(image.sections.begin(), image.sections.end(),
                                    [&](const PeSection& s) { return s.virtualAddress == resourceRva && s.rawSize != 0; });
    if (found == image.sections.end() || found->name != ".rsrc") {
        fail(problem, "its resources are not a section of their own");
        return std::nullopt;
    }
    image.resourceSection = static_cast<size_t>(found - image.sections.begin());
    if (readLittleEndian32(bytes, directory(kSecurityDirectory)) != 0) {
        fail(problem, "it is signed; pack the unsigned launcher and sign the result afterwards");
        return std::nullopt;
    }
    // Sections after the resources move when the resources grow, so only the
    // relocations, which nothing in the code points into, may follow them.
    for (size_t i = image.resourceSection + 1; i < image.sections.size(); ++i) {
        if (image.sections[i].name != ".reloc" || image.sections[i].virtualAddress != readLittleEndian32(bytes, directory(kRelocationDirectory))) {
            fail(problem, "sections other than .reloc follow its resources, which jlpack cannot move");
            return std::nullopt;
        }
    }
    for (size_t i = 0; i + 1 < image.sections.size(); ++i) {
        const PeSection &a = image.sections[i], &b = image.sections[i + 1];
        if (b.virtualAddress < a.virtualAddress + static_cast<std::uint64_t>(a.virtualSize) ||
            (a.rawSize && b.rawSize && b.rawPointer < a.rawPointer + static_cast<std::uint64_t>(a.rawSize))) {
            fail(problem, "it is damaged (overlapping sections)");
            return std::nullopt;
        }
    }
    const PeSection& resources = *found;
    const size_t usable = std::min<size_t>(resources.rawSize, resources.virtualSize ? resources.virtualSize : resources.rawSize);
    std::vector<Resource> parsed;
    ResourceReader reader(bytes.subspan(resources.rawPointer, usable), resources.virtualAddress);
    if (!reader.read(parsed, problem)) return std::nullopt;
    for (Resource& resource : parsed) image.resources.put(std::move(resource));
    image.bytes.assign(bytes.begin(), bytes.end());
    return image;
}

Bytes buildResourceSection(const ResourceTable& resources, std::uint32_t sectionRva) {
    // Group into type → name → languages, already in directory order.
    struct NameGroup { ResourceName name; std::vector<const Resource*> languages; };
    struct TypeGroup { ResourceName type; std::vector<NameGroup> names; };
    std::vector<TypeGroup> types;
    for (const Resource& resource : resources.all()) {
        if (types.empty() || !(types.back().type == resource.type)) types.push_back({resource.type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(names.back().name == resource.name)) names.push_back({resource.name, {}});
        names.back().languages.push_back(&resource);
    }
    auto directorySize = [](size_t entries) { return 16 + entries * 8; };
    size_t directoriesSize = directorySize(types.size());
    for (const TypeGroup& type : types) {
        directoriesSize += directorySize(type.names.size());
        for (const NameGroup& name : type.names) directoriesSize += directorySize(name.languages.size());
    }
    const size_t dataEntriesAt = directoriesSize;
    const size_t stringsAt = dataEntriesAt + resources.all().size() * 16;

    Bytes strings;
    auto nameField = [&](const ResourceName& name) -> std::uint32_t {
        if (!name.named) return name.id;
        const size_t at = stringsAt + strings.size();
        appendLittleEndian16(strings, static_cast<std::uint32_t>(name.text.size()));
        for (char16_t c : name.text) appendLittleEndian16(strings, c);
        return 0x80000000u | static_cast<std::uint32_t>(at);
    };

    Bytes out(stringsAt, 0);
    auto writeDirectoryHeader = [&](size_t at, const auto& entries, auto isNamed) {
        const auto named = std::count_if(entries.begin(), entries.end(), isNamed);
        write16(out, at + 12, static_cast<std::uint32_t>(named));
        write16(out, at + 14, static_cast<std::uint32_t>(entries.size() - named));
    };
    size_t nextDirectory = directorySize(types.size());
    size_t nextDataEntry = dataEntriesAt;
    std::vector<std::pair<size_t, const Resource*>> dataEntries;
    writeDirectoryHeader(0, types, [](const TypeGroup& t) { return t.type.named; });
    for (size_t t = 0; t < types.size(); ++t) {
        const size_t typeDirectory = nextDirectory;
        nextDirectory += directorySize(types[t].names.size());
        write32(out, 16 + t * 8, nameField(types[t].type));
        write32(out, 16 + t * 8 + 4, 0x80000000u | static_cast<std::uint32_t>(typeDirectory));
        writeDirectoryHeader(typeDirectory, types[t].names, [](const NameGroup& n) { return n.name.named; });
        for (size_t n = 0; n < types[t].names.size(); ++n) {
            const NameGroup& name = types[t].names[n];
            const size_t nameDirectory = nextDirectory;
            nextDirectory += directorySize(name.languages.size());
            write32(out, typeDirectory + 16 + n * 8, nameField(name.name));
            write32(out, typeDirectory + 16 + n * 8 + 4, 0x80000000u | static_cast<std::uint32_t>(nameDirectory));
            write16(out, nameDirectory + 14, static_cast<std::uint32_t>(name.languages.size()));
            for (size_t l = 0; l < name.languages.size(); ++l) {
                write32(out, nameDirectory + 16 + l * 8, name.languages[l]->language);
                write32(out, nameDirectory + 16 + l * 8 + 4, static_cast<std::uint32_t>(nextDataEntry));
                dataEntries.emplace_back(nextDataEntry, name.languages[l]);
                nextDataEntry += 16;
            }
        }
    }
    out.insert(out.end(), strings.begin(), strings.end());
    for (const auto& [entry, resource] : dataEntries) {
        out.resize(alignUp(out.size(), 8), 0);
        write32(out, entry, sectionRva + static_cast<std::uint32_t>(out.size()));
        write32(out, entry + 4, static_cast<std::uint32_t>(resource->data.size()));
        write32(out, entry + 8, resource->codePage);
        out.insert(out.end(), resource->data.begin(), resource->data.end());
    }
    return out;
}

std::uint32_t peChecksum(ByteView bytes, size_t checksumOffset) {
    std::uint64_t sum = 0;
    for (size_t at = 0; at < bytes.size(); at += 2) {
        if (at == checksumOffset || at == checksumOffset + 2) continue;
        const std::uint32_t word = bytes[at] | (at + 1 < bytes.size() ? bytes[at + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + bytes.size());
}

Bytes rewriteImage(const PeImage& image, const ResourceTable& resources) {
    const PeSection& oldResources = image.sections[image.resourceSection];
    const Bytes section = buildResourceSection(resources, oldResources.virtualAddress);
    Bytes out(image.bytes.begin(), image.bytes.begin() + oldResources.rawPointer);
    std::uint64_t endOfRaw = 0;
    // A section without raw data has a pointer that means nothing.
    for (const PeSection& s : image.sections) {
        if (s.rawSize) endOfRaw = std::max<std::uint64_t>(endOfRaw, s.rawPointer + static_cast<std::uint64_t>(s.rawSize));
    }

    std::vector<PeSection> sections = image.sections;
    PeSection& newResources = sections[image.resourceSection];
    newResources.virtualSize = static_cast<std::uint32_t>(section.size());
    newResources.rawSize = static_cast<std::uint32_t>(alignUp(section.size(), image.fileAlignment));
    out.insert(out.end(), section.begin(), section.end());
    out.resize(out.size() + (newResources.rawSize - section.size()), 0);
    for (size_t i = image.resourceSection + 1; i < sections.size(); ++i) {
        const PeSection& before = sections[i - 1];
        const PeSection& old = image.sections[i];
        sections[i].virtualAddress = static_cast<std::uint32_t>(alignUp(before.virtualAddress + static_cast<std::uint64_t>(before.virtualSize), image.sectionAlignment));
        sections[i].rawPointer = old.rawSize ? static_cast<std::uint32_t>(out.size()) : 0;
        if (old.rawSize) out.insert(out.end(), image.bytes.begin() + old.rawPointer, image.bytes.begin() + old.rawPointer + old.rawSize);
    }
    // Whatever follows the last section (an overlay) stays at the end.
    out.insert(out.end(), image.bytes.begin() + endOfRaw, image.bytes.end());

    const size_t optional = image.optionalHeaderOffset;
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t at = image.sectionTableOffset + i * 40;
        write32(out, at + 8, sections[i].virtualSize);
        write32(out, at + 12, sections[i].virtualAddress);
        write32(out, at + 16, sections[i].rawSize);
        write32(out, at + 20, sections[i].rawPointer);
    }
    const std::uint32_t initialisedData = readLittleEndian32(out, optional + 8) - oldResources.rawSize + newResources.rawSize;
    write32(out, optional + 8, initialisedData);
    const PeSection& last = sections.back();
    write32(out, optional + 56, static_cast<std::uint32_t>(alignUp(last.virtualAddress + static_cast<std::uint64_t>(last.virtualSize), image.sectionAlignment)));
    write32(out, optional + 112 + kResourceDirectory * 8 + 4, newResources.virtualSize);
    if (image.resourceSection + 1 < sections.size()) {
        write32(out, optional + 112 + kRelocationDirectory * 8, sections[image.resourceSection + 1].virtualAddress);
    }
    write32(out, optional + 64, 0);
    write32(out, optional + 64, peChecksum(out, optional + 64));
    return out;
}

} // namespace jlpack
