#include "SyntheticText.h"

namespace nsfbuild {

namespace {

const char* const kWords[] = {
    "quarterly", "review", "budget", "meeting", "project", "schedule", "update", "draft", "proposal", "team",
    "customer", "order", "invoice", "shipment", "report", "summary", "plan", "agenda", "notes", "follow-up",
    "timeline", "estimate", "contract", "delivery", "request", "approval", "status", "launch", "training", "office",
    "travel", "expense", "policy", "workshop", "feedback", "release", "support", "ticket", "priority", "deadline",
    "the", "a", "for", "with", "and", "of", "to", "in", "on", "by", "next", "week", "monday", "friday", "please",
    "attached", "details", "thanks", "regards", "soon",
};
// Words of other scripts, mixed into the sentences: Greek, Cyrillic, CJK,
// Arabic, accented Latin and emoji (a character of a supplementary plane).
const char* const kScriptWords[] = {
    "συνάντηση", "προϋπολογισμός", "встреча", "отчёт", "会议", "报告", "予定表", "اجتماع", "تقرير",
    "réunion", "Müller", "façade", "año", "🎉", "📅", "✅",
};
const char* const kFirstNames[] = {
    "Ann", "Bela", "Corin", "Dana", "Elio", "Fenna", "Gareth", "Hilde", "Ivo", "Jora", "Kasimir", "Lena",
    "Marek", "Nadia", "Oskar", "Petra", "Quill", "Rosa", "Stellan", "Talia", "Ulf", "Vera", "Wim", "Yara",
    "Zoë", "Δήμητρα", "Светлана", "美玲", "ليلى",
};
const char* const kLastNames[] = {
    "Lee", "Amberly", "Brook", "Castell", "Dunmore", "Ellery", "Fairholt", "Grennan", "Hollis", "Ingram",
    "Jessop", "Kettering", "Lowell", "Marchetti", "Norwood", "Oakes", "Penhallow", "Quarry", "Rowan", "Sallow",
    "Núñez", "Παπαδόπουλος", "Иванова", "王", "حداد",
};
const char* const kCompanies[] = {"Acme", "Example Trading", "Northwind Example", "Bluefield Works", "Harbor Labs"};
const char* const kUnits[] = {"Sales", "Finance", "Research", "Support", "Operations"};
const char* const kFaces[] = {"Default Sans Serif", "Arial", "Times New Roman", "Courier New"};
const std::uint32_t kColors[] = {0x000000, 0xC00000, 0x0040C0, 0x008000};

template <typename T, std::size_t N>
const T& Pick(CSyntheticText& random, const T (&list)[N])
{
    return list[random.Between(0, N - 1)];
}

} // namespace

std::uint64_t CSyntheticText::Next()
{
    // splitmix64
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t CSyntheticText::Between(std::size_t low, std::size_t high)
{
    return low + static_cast<std::size_t>(Next() % (high - low + 1));
}

std::string CSyntheticText::Word()
{
    if (OneIn(8))
        return Pick(*this, kScriptWords);
    return Pick(*this, kWords);
}

std::string CSyntheticText::Sentence(std::size_t words)
{
    std::string text;
    for (std::size_t i = 0; i < words; ++i) {
        if (i)
            text += ' ';
        text += Word();
    }
    if (!text.empty())
        text[0] = static_cast<char>(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 32 : text[0]);
    return text + ".";
}

std::string CSyntheticText::FirstName()
{
    return Pick(*this, kFirstNames);
}

std::string CSyntheticText::LastName()
{
    return Pick(*this, kLastNames);
}

std::string CSyntheticText::Company()
{
    return Pick(*this, kCompanies);
}

std::string CSyntheticText::CanonicalName(const std::string& first, const std::string& last)
{
    return "CN=" + first + " " + last + "/OU=" + Pick(*this, kUnits) + "/O=" + Company();
}

std::string CSyntheticText::CanonicalPerson()
{
    std::string first = FirstName();
    std::string last = LastName();
    return CanonicalName(first, last);
}

std::string CSyntheticText::Bytes(std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; i += 8) {
        std::uint64_t value = Next();
        for (std::size_t j = 0; j < 8 && i + j < count; ++j)
            bytes[i + j] = static_cast<char>(value >> (8 * j));
    }
    return bytes;
}

std::string CSyntheticText::Base64(std::string_view bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            chunk |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            chunk |= static_cast<std::uint8_t>(bytes[i + 2]);
        text += kAlphabet[(chunk >> 18) & 63];
        text += kAlphabet[(chunk >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
        if ((column += 4) >= 76) {
            text += "\r\n";
            column = 0;
        }
    }
    return text;
}

RichTextContent CSyntheticText::Body(std::size_t paragraphs)
{
    RichTextContent content;
    for (std::size_t p = 0; p < paragraphs; ++p) {
        notes::format::RichParagraph paragraph;
        std::size_t runs = Between(1, 4);
        for (std::size_t r = 0; r < runs; ++r) {
            auto run = notes::format::MakeRun(Sentence(Between(4, 24)) + " ");
            if (OneIn(5))
                run.style |= notes::format::RUN_BOLD;
            if (OneIn(6))
                run.style |= notes::format::RUN_ITALIC;
            if (OneIn(12))
                run.style |= notes::format::RUN_UNDERLINE;
            if (OneIn(8)) {
                run.face = Pick(*this, kFaces);
                run.color = Pick(*this, kColors);
                run.pointSize = static_cast<std::uint16_t>(Between(8, 14));
            }
            paragraph.elements.push_back(std::move(run));
            if (OneIn(10))
                paragraph.elements.push_back(notes::format::MakeElement(notes::format::RichElementKind::LineBreak));
        }
        content.paragraphs.push_back(std::move(paragraph));
    }
    return content;
}

std::string SamplePng()
{
    static const char kHex[] = "89504e470d0a1a0a0000000d4948445200000004000000040802000000269309290000001049444154789c6350483800470cc47100fe431401ec189d430000000049454e44ae426082";
    std::string bytes;
    for (std::size_t i = 0; kHex[i] && kHex[i + 1]; i += 2) {
        auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
        bytes.push_back(static_cast<char>(digit(kHex[i]) * 16 + digit(kHex[i + 1])));
    }
    return bytes;
}

} // namespace nsfbuild
