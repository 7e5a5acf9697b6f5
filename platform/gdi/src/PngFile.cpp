#include "gdi/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace gdi {

namespace {

struct File {
    std::FILE* f = nullptr;
    ~File()
    {
        if (f)
            std::fclose(f);
    }
};

// libpng reports through these; the caller's message says what failed.
void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

void Fail(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
}

} // namespace

bool WritePng(const Surface& image, const std::filesystem::path& path, std::string* error)
{
    if (image.Width() <= 0 || image.Height() <= 0) {
        Fail(error, "cannot write an empty image");
        return false;
    }
    File file;
    file.f = std::fopen(path.c_str(), "wb");
    if (!file.f) {
        Fail(error, "cannot create " + path.string());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        Fail(error, "libpng could not start");
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(image.Width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        Fail(error, "cannot write " + path.string());
        return false;
    }
    png_init_io(png, file.f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()), static_cast<png_uint_32>(image.Height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.Height(); ++y) {
        const Pixel* src = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            row[3 * x] = static_cast<png_byte>(src[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.f) != 0) {
        Fail(error, "cannot write " + path.string());
        return false;
    }
    return true;
}

std::shared_ptr<Surface> ReadPng(const std::filesystem::path& path, std::string* error)
{
    File file;
    file.f = std::fopen(path.c_str(), "rb");
    if (!file.f) {
        Fail(error, "cannot open " + path.string());
        return nullptr;
    }
    png_byte signature[8];
    if (std::fread(signature, 1, 8, file.f) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        Fail(error, path.string() + " is not a PNG file");
        return nullptr;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        Fail(error, "libpng could not start");
        return nullptr;
    }
    // Declared before setjmp, so that a longjmp from libpng skips no destructor.
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    int width = 0, height = 0;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        Fail(error, "damaged PNG file " + path.string());
        return nullptr;
    }
    png_init_io(png, file.f);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 32768, 32768);
    png_read_info(png, info);
    // Everything becomes 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    pixels.resize(static_cast<std::size_t>(width) * height * 4);
    rows.resize(height);
    for (int y = 0; y < height; ++y)
        rows[y] = pixels.data() + static_cast<std::size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    auto image = std::make_shared<Surface>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const png_byte* p = rows[y] + 4 * x;
            image->Set(x, y, (static_cast<Pixel>(p[3]) << 24) | (static_cast<Pixel>(p[0]) << 16) |
                                 (static_cast<Pixel>(p[1]) << 8) | p[2]);
        }
    return image;
}

} // namespace gdi
