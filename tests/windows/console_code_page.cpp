// Runs a program on this console and prints the console's output code page
// before and after it, and its exit status. It takes Ctrl-C itself without
// ending, so that a Ctrl-C typed at the program ends only the program.
#include <windows.h>

#include <cstdio>

namespace {

BOOL WINAPI keep_running(DWORD /*event*/) { return TRUE; }

// The command line less this program's own name.
wchar_t* command_after_our_name(wchar_t* line) {
    const bool quoted = *line == L'"';
    line += quoted ? 1 : 0;
    while (*line != L'\0' && *line != (quoted ? L'"' : L' ')) {
        ++line;
    }
    line += (*line == L'"') ? 1 : 0;
    while (*line == L' ') {
        ++line;
    }
    return line;
}

}  // namespace

int main() {
    SetConsoleCtrlHandler(keep_running, TRUE);
    // A page that is neither of the programs' own.
    SetConsoleOutputCP(437);
    std::printf("code page before: %u\n", GetConsoleOutputCP());
    std::fflush(stdout);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (CreateProcessW(nullptr, command_after_our_name(GetCommandLineW()), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &started) == 0) {
        std::printf("cannot start the program: error %lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    std::printf("code page after: %u\nstatus: %lu\n", GetConsoleOutputCP(), status);
    return 0;
}
