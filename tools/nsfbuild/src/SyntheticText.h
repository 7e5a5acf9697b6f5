// Deterministic invented content for the synthetic databases: people,
// companies, words and sentences, from a seeded generator.
#pragma once

#include "nsfbuild/DatabaseContent.h"

#include <cstdint>
#include <string>

namespace nsfbuild {

class CSyntheticText {
public:
    explicit CSyntheticText(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

    std::uint64_t Next();
    // A number in [low, high].
    std::size_t Between(std::size_t low, std::size_t high);
    bool OneIn(std::size_t n) { return Between(1, n) == 1; }

    std::string Word();
    std::string Sentence(std::size_t words);
    std::string FirstName();
    std::string LastName();
    std::string Company();
    // "CN=First Last/OU=Unit/O=Company".
    std::string CanonicalName(const std::string& first, const std::string& last);
    std::string CanonicalPerson();
    std::string Bytes(std::size_t count);
    std::string Base64(std::string_view bytes);

    // A body of a few paragraphs, some runs bold, italic or coloured.
    RichTextContent Body(std::size_t paragraphs);

private:
    std::uint64_t m_state;
};

// A tiny PNG picture (a coloured square), valid for any reader.
std::string SamplePng();
inline constexpr std::uint32_t kSamplePngSize = 4;

} // namespace nsfbuild
