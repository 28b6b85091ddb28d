#include "cli/options.h"

#include <cerrno>
#include <cstdlib>

namespace vx::cli {

const OptionSpec* Options::findShort(char c) const {
    for (auto& s : specs_)
        if (s.shortName == c) return &s;
    return nullptr;
}

const OptionSpec* Options::findLong(const std::string& n) const {
    for (auto& s : specs_)
        if (s.longName == n) return &s;
    return nullptr;
}

std::string Options::nextValue(const OptionSpec& s, const std::vector<std::string>& args, size_t& i) {
    if (!s.nextIsValue || i + 1 >= args.size() || !s.nextIsValue(args[i + 1])) return {};
    return args[++i];
}

bool Options::parse(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            positional_.insert(positional_.end(), args.begin() + long(i) + 1, args.end());
            break;
        }
        if (a.rfind("--", 0) == 0) {
            size_t eq = a.find('=');
            std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            const OptionSpec* s = findLong(name);
            if (!s) return error_ = "unknown option --" + name, false;
            if (!s->takesValue) {
                if (eq != std::string::npos) return error_ = "option --" + name + " takes no value", false;
                set(*s, "");
            } else if (eq != std::string::npos) {
                set(*s, a.substr(eq + 1));
            } else if (s->optionalValue) {
                set(*s, nextValue(*s, args, i));
            } else if (i + 1 < args.size()) {
                set(*s, args[++i]);
            } else {
                return error_ = "option --" + name + " needs a value", false;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            // A cluster of short flags, the last of which may take a value.
            for (size_t k = 1; k < a.size(); ++k) {
                const OptionSpec* s = findShort(a[k]);
                if (!s) return error_ = std::string("unknown option -") + a[k], false;
                if (!s->takesValue) {
                    set(*s, "");
                    continue;
                }
                // "-ml": an optional value that the rest is not leaves the rest as flags.
                if (s->optionalValue && s->nextIsValue && k + 1 < a.size() &&
                    !s->nextIsValue(a.substr(k + 1))) {
                    set(*s, "");
                    continue;
                }
                if (k + 1 < a.size()) {
                    set(*s, a.substr(k + 1));
                } else if (s->optionalValue) {
                    set(*s, nextValue(*s, args, i));
                } else if (i + 1 < args.size()) {
                    set(*s, args[++i]);
                } else {
                    return error_ = std::string("option -") + a[k] + " needs a value", false;
                }
                break;
            }
        } else {
            positional_.push_back(a);
        }
    }
    return true;
}

void Options::set(const OptionSpec& s, const std::string& v) {
    values_[key(s)] = v;
    given_.emplace_back(key(s), v);
}

std::string Options::value(const std::string& longName, const std::string& fallback) const {
    auto it = values_.find(longName);
    return it == values_.end() ? fallback : it->second;
}

std::string Options::usage() const {
    // Every command takes --trace; the command line loses it before a command sees it.
    static const OptionSpec trace{0, "trace", true, false, "a protocol trace of the run into FILE", "FILE"};
    std::vector<OptionSpec> all = specs_;
    all.push_back(trace);
    std::string out;
    for (auto& s : all) {
        std::string left = "  ";
        if (s.shortName) left += std::string("-") + s.shortName + (s.longName.empty() ? "" : ", ");
        if (!s.longName.empty()) left += "--" + s.longName;
        if (s.takesValue)
            left +=
                s.optionalValue ? "[=" + s.valueName + "]" : (s.longName.empty() ? " " : "=") + s.valueName;
        if (left.size() < 28)
            left.resize(28, ' ');
        else
            left += "  ";
        out += left + s.help + "\n";
    }
    return out;
}

std::optional<unsigned long> parseUnsigned(const std::string& s) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    return std::strtoul(s.c_str(), nullptr, 10);
}

}  // namespace vx::cli
