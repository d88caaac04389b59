#include "runtime/runtime_search.h"
#include "support/error_message.h"
#include "support/message_format.h"

namespace jl {

std::wstring describeVersionRequirement(const Version& minimum, const Version& maximum) {
    const VersionRequirementText requirement = versionRequirementText(minimum, maximum);
    const std::wstring format = loadString(requirement.messageId);
    switch (requirement.arguments.size()) {
        case 0: return format;
        case 1: return formatMessage(format, {requirement.arguments[0]});
        default: return formatMessage(format, {requirement.arguments[0], requirement.arguments[1]});
    }
}

} // namespace jl
