// marlwick-artwork: draws every icon and bitmap of the programs.
//   marlwick-artwork OUTPUT_DIR
// Writes the files into OUTPUT_DIR, then "artwork.stamp", which the build
// waits for.
#include "artwork/Artwork.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

bool Write(const std::filesystem::path& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlwick-artwork OUTPUT_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::vector<artwork::ArtFile> files = artwork::MakeIcons();
    for (auto& bitmap : artwork::MakeBitmaps())
        files.push_back(std::move(bitmap));
    for (const artwork::ArtFile& file : files) {
        if (!Write(dir / file.name, file.bytes)) {
            std::fprintf(stderr, "marlwick-artwork: cannot write %s\n", (dir / file.name).c_str());
            return 1;
        }
    }
    if (!Write(dir / "artwork.stamp", {})) {
        std::fprintf(stderr, "marlwick-artwork: cannot write the stamp in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
