#pragma once
// The commands of the tavrin host. Each takes its arguments (without the command name) and
// returns the process exit code.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace tavrin::host {

struct Io {
    std::ostream& out;
    std::ostream& err;
};

using CommandFn = int (*)(std::span<const std::string_view> args, Io io);

struct Command {
    std::string_view name;
    CommandFn run;
    std::string_view usage;
    std::string_view summary;
};

std::span<const Command> commands();

// Dispatches argv (program name first) to a command; prints help for --help or no command.
int runHost(std::span<const std::string_view> argv, Io io);

// Whether a file can be read, else one line on io.err saying why: checked before the shell
// object or the engine sees a file, which would report it on lines of their own.
bool readable(const std::string& path, Io io);

// "cannot write PATH: why", the reason taken from errno as a failed write left it (errno 0: no
// reason is known).
std::string cannotWrite(const std::string& path, int error);

int runReg(std::span<const std::string_view> args, Io io);
int runDecode(std::span<const std::string_view> args, Io io);
int runIdentify(std::span<const std::string_view> args, Io io);
int runImageInfo(std::span<const std::string_view> args, Io io);
int runThumbnail(std::span<const std::string_view> args, Io io);
int runCache(std::span<const std::string_view> args, Io io);
int runIcon(std::span<const std::string_view> args, Io io);
int runTip(std::span<const std::string_view> args, Io io);
int runColumns(std::span<const std::string_view> args, Io io);
int runHistogram(std::span<const std::string_view> args, Io io);
int runInfo(std::span<const std::string_view> args, Io io);
int runMenu(std::span<const std::string_view> args, Io io);
int runInvoke(std::span<const std::string_view> args, Io io);
int runRegister(std::span<const std::string_view> args, Io io);
int runUnregister(std::span<const std::string_view> args, Io io);

}  // namespace tavrin::host
