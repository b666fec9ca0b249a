#pragma once
// Starting programs the way the Windows shell does, without a shell in between.

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::process {

// Splits a Windows-style command line into arguments: blanks separate, double quotes group;
// before a quote, 2n backslashes give n backslashes (the quote groups) and 2n+1 give n
// backslashes and a literal quote.
std::vector<std::string> splitCommandLine(std::string_view commandLine);
// The argument quoted for a command line: splitCommandLine gives it back byte for byte,
// whatever blanks, quotes and backslashes it holds.
std::string quoteArgument(std::string_view argument);

// Starts program with the arguments of parameters (a Windows-style command line) and does not
// wait for it; the child is detached so that it never lingers as a zombie. False when the
// program could not be started.
bool startProgram(const std::string& program, std::string_view parameters);

}  // namespace tavrin::process
