#pragma once
// Command-line options in the usual conventions: "-p PORT", "-pPORT", "--port=PORT",
// "--port PORT", flags without values, "--" ending the options.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vx::cli {

struct OptionSpec {
    char shortName;        // 0: none
    std::string longName;  // "" : none
    bool takesValue;
    bool optionalValue = false;  // "--simulate" or "--simulate=qm41"
    std::string help;
    std::string valueName = "VALUE";
    // An optional value may also stand as the next argument when this accepts it
    // ("--modem 0123456"); null: only "--name=value".
    bool (*nextIsValue)(const std::string&) = nullptr;
};

class Options {
  public:
    explicit Options(std::vector<OptionSpec> specs) : specs_(std::move(specs)) {}

    // Parses args; false with error() set on an unknown option or a missing value.
    bool parse(const std::vector<std::string>& args);
    const std::string& error() const { return error_; }

    bool has(const std::string& longName) const { return values_.count(longName) != 0; }
    std::string value(const std::string& longName, const std::string& fallback = "") const;
    const std::vector<std::string>& positional() const { return positional_; }
    // Every option given, in command-line order and with repeats: (long name, value).
    const std::vector<std::pair<std::string, std::string>>& given() const { return given_; }
    std::string usage() const;

  private:
    const OptionSpec* findShort(char c) const;
    const OptionSpec* findLong(const std::string& n) const;
    std::string key(const OptionSpec& s) const {
        return s.longName.empty() ? std::string(1, s.shortName) : s.longName;
    }

    std::vector<OptionSpec> specs_;
    std::map<std::string, std::string> values_;
    void set(const OptionSpec& s, const std::string& v);
    static std::string nextValue(const OptionSpec& s, const std::vector<std::string>& args, size_t& i);

    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> given_;
    std::string error_;
};

// Parses a whole non-negative decimal number; nullopt for anything else.
std::optional<unsigned long> parseUnsigned(const std::string& s);

}  // namespace vx::cli
