#pragma once
// The ".vmoptions" files beside the program and in the user's profile: one
// option a line, and the rule that a later value of an option replaces an
// earlier one. Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

// The options of a file's text: one a line, blank lines and "#" comments
// skipped, surrounding blanks trimmed, the java command's two-word forms
// ("--add-opens a=b", "-p mods") joined into the one-word form the VM takes.
[[nodiscard]] std::vector<std::wstring> vmOptionLines(std::wstring_view text);

// "--add-opens" and the other options the java command takes with their value
// as a second word, as the VM's one-word form ("--add-opens=" ...); empty when
// the word is not one of them.
[[nodiscard]] std::wstring oneWordOptionPrefix(std::wstring_view word);

// The setting that takes the place of a java command option the VM does not
// take ("-jar", "-m", "--module", "-cp", "-classpath", "--class-path", each
// followed by its value); empty for any other word.
[[nodiscard]] std::wstring_view settingInPlaceOf(std::wstring_view word);

// What makes two options the same, so that the later replaces the earlier:
// "-Xmx", "-Xms", "-Xss", "-D<name>", "-XX:<Name>" (whether "+", "-" or "=");
// empty for options that may come more than once.
[[nodiscard]] std::wstring vmOptionIdentity(std::wstring_view option);

// "-cp", "-classpath", "--class-path" and "-Djava.class.path=": the class path
// belongs to the settings.
[[nodiscard]] bool isClassPathOption(std::wstring_view option);

// Indexes of the options that stay once each is replaced by one of the same
// identity from a later layer (the program's parameters, then each file); within
// one layer every option stays, and the VM takes the last.
[[nodiscard]] std::vector<size_t> survivingOptions(const std::vector<std::wstring>& options,
                                                   const std::vector<size_t>& layers);

} // namespace jl
