#pragma once
// What a command-line program needs of the system: its arguments, the paths they name,
// and standard streams that carry bytes unchanged. On Windows the arguments come from
// the wide command line (the narrow one is in the ANSI code page and loses Japanese
// outside a Japanese system), the streams are switched to binary mode (text mode turns
// LF into CR LF on output and stops input at a 0x1A byte), and text for a console goes
// through the console's wide API so that it shows whatever the console's code page.

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The arguments after the program name: UTF-8 on Windows, the bytes given on Linux.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The path an argument names (UTF-8 on Windows, native bytes on Linux), and back: the
// form in which a script gets a path it can pass on.
std::filesystem::path PathFromArgument(std::string_view arg);
std::string ArgumentFromPath(const std::filesystem::path& path);

// Binary standard streams; call once at the start of main.
void UseBinaryStdStreams();

// UTF-8 text to stdout or stderr: shown through the console when the stream is one,
// written as bytes otherwise. False when not everything was taken.
bool WriteStdText(std::FILE* stream, std::string_view utf8);

}  // namespace qm
