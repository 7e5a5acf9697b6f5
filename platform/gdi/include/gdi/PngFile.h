// PNG files of surfaces (screenshots) through libpng. Files are host paths:
// screenshots are for the person or the test looking at a run, outside the
// machine's own files.
#pragma once

#include "gdi/Surface.h"

#include <filesystem>
#include <memory>
#include <string>

namespace gdi {

// Writes an 8-bit RGB PNG (the fourth byte of the pixels is not alpha for
// GDI drawing and is left out). False with a message on failure.
bool WritePng(const Surface& image, const std::filesystem::path& path, std::string* error = nullptr);

// Reads a PNG of any colour type and depth into a top-down surface; the
// fourth byte of each pixel is the file's alpha (255 without one). Null with
// a message on failure.
std::shared_ptr<Surface> ReadPng(const std::filesystem::path& path, std::string* error = nullptr);

} // namespace gdi
