// Creating files whose names are new in a folder that already holds many:
// each new name must be looked for in every case before it is made.
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::u16string Widened(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// Argument: the files in the folder beforehand; the folder keeps the new
// ones too. Most of what is left is the host's own making of a file.
void BM_CreateNewNameInAFolderOf(benchmark::State& state)
{
    char pattern[] = "/tmp/marlwick-newname-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    win32::SetMachineRoot(root);
    const fs::path folder = root / "drive_c" / "Attachment";
    fs::create_directories(folder);
    for (int i = 0; i < state.range(0); ++i)
        std::ofstream(folder / ("old-" + std::to_string(i) + ".dat")) << "x";
    int n = 0;
    for (auto _ : state) {
        const std::u16string name = u"C:\\Attachment\\new-" + Widened(std::to_string(++n)) + u".dat";
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            state.SkipWithError("the file could not be made");
            break;
        }
        CloseHandle(file);
    }
    fs::remove_all(root);
}
BENCHMARK(BM_CreateNewNameInAFolderOf)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
