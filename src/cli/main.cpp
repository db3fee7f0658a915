// quillmor-cli: the macro folder operations of the window, for the shell and scripts.

#include <csignal>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <exception>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "storage/CommandLine.h"

int main(int argc, char** argv) {
    try {
        qm::UseBinaryStdStreams();
#ifdef SIGXFSZ
        // Past a file-size limit a write then fails with EFBIG, which is reported, rather
        // than ending the program midway.
        std::signal(SIGXFSZ, SIG_IGN);
#endif
#if defined(__GLIBC__)
        // A command over many folders holds one folder's 6 MB of books at a time: kept
        // in the heap, each next folder reuses them instead of faulting in fresh pages.
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
        const std::vector<std::string> args = qm::ProgramArguments(argc, argv);
        return qm::cli::Main(args);
    } catch (const std::exception& e) {
        qm::cli::Error(std::string("unexpected failure: ") + e.what());
    } catch (...) {
        qm::cli::Error("unexpected failure");
    }
    return qm::cli::kExitUsage;
}
