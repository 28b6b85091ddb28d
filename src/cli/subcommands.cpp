#include "cli/subcommands.h"

#include <cstdio>

#include "cli/commands.h"
#include "cli/connection.h"

namespace vx::cli {

int runSubcommand(const char* command, const char* title, std::span<const Subcommand> subs,
                  const std::vector<std::string>& args) {
    auto usage = [&](FILE* to) {
        std::fprintf(to, "Usage: vendrix-cli %s SUBCOMMAND [OPTIONS]\n%s\n\nSubcommands:\n", command, title);
        for (const Subcommand& s : subs)
            std::fprintf(to, "  %-10s %s\n", s.name, s.summary);
        std::fprintf(to, "\nRun \"vendrix-cli %s SUBCOMMAND --help\" for the options of a subcommand.\n",
                     command);
    };
    if (args.empty()) return usage(stderr), kExitUsage;
    if (args[0] == "--help" || args[0] == "-h") return usage(stdout), kExitOk;
    for (const Subcommand& s : subs)
        if (args[0] == s.name) return s.run(std::vector<std::string>(args.begin() + 1, args.end()));
    return usageError(command, "unknown subcommand " + args[0]);
}

bool parseSubcommand(Options& opts, const std::vector<std::string>& args, const char* name, Operands operands,
                     const char* summary, bool device, int* status) {
    const std::string text = operands.text;
    for (auto& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::printf("Usage: vendrix-cli %s %s[OPTIONS]\n%s\n\nOptions:\n%s", name,
                        text.empty() ? "" : (text + " ").c_str(), summary, opts.usage().c_str());
            *status = kExitOk;
            return false;
        }
    }
    if (!opts.parse(args)) return *status = usageError(name, opts.error()), false;
    const auto& given = opts.positional();
    if (given.size() > operands.most)
        return *status = usageError(name, "unexpected argument " + given[operands.most]), false;
    if (given.size() < operands.least)
        return *status = usageError(name, text + (operands.least > 1 ? " are required" : " is required")),
               false;
    if (device)
        if (std::string bad = checkConnectionOptions(opts); !bad.empty())
            return *status = usageError(name, bad), false;
    return true;
}

}  // namespace vx::cli
