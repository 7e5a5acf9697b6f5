// DrawTextW keeps the layouts a thread drew lately: a text drawn again after
// its font, colour, clip, rectangle, character extra or characters changed
// shows exactly what a thread that never drew it before shows.
#include "GdiTest.h"

#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 60;

struct Drawing {
    std::u16string text;
    int fontHeight = -11;
    COLORREF color = RGB(0, 0, 0);
    RECT rect{4, 4, 190, 56};
    RECT clip{0, 0, kWidth, kHeight};
    int charExtra = 0;
    UINT format = DT_LEFT | DT_WORDBREAK;
};

std::vector<COLORREF> Draw(const Drawing& d)
{
    BitmapDC canvas(kWidth, kHeight, RGB(230, 240, 250));
    HFONT font = CreateFontW(d.fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), d.color);
    SetTextCharacterExtra(canvas.dc(), d.charExtra);
    IntersectClipRect(canvas.dc(), d.clip.left, d.clip.top, d.clip.right, d.clip.bottom);
    RECT rect = d.rect;
    DrawTextW(canvas.dc(), d.text.c_str(), -1, &rect, d.format);
    SelectClipRgn(canvas.dc(), nullptr); // every pixel reads back
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(canvas.At(x, y));
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
    return pixels;
}

// The same drawing on a thread of its own, which has laid nothing out.
std::vector<COLORREF> DrawOnAFreshThread(const Drawing& d)
{
    std::vector<COLORREF> pixels;
    std::thread([&] { pixels = Draw(d); }).join();
    return pixels;
}

class LaidOutTextTest : public GdiTest {};

} // namespace

TEST_F(LaidOutTextTest, ATextDrawnAgainWithOneThingChangedShowsWhatAFreshLayoutShows)
{
    Drawing d;
    d.text = u"&Processing 7 of 10000 Ελληνικά 中文 العربية more words to wrap";
    std::vector<Drawing> steps;
    steps.push_back(d);
    steps.push_back(d); // the same again: drawn from what was laid out
    d.color = RGB(200, 0, 40);
    steps.push_back(d);
    d.clip = {30, 10, 120, 30};
    steps.push_back(d);
    d.clip = {0, 0, kWidth, kHeight};
    steps.push_back(d);
    d.fontHeight = -15;
    steps.push_back(d);
    d.rect = {4, 4, 90, 56}; // narrower: wraps elsewhere
    steps.push_back(d);
    d.rect = {20, 8, 106, 60}; // as wide, moved
    steps.push_back(d);
    d.charExtra = 2;
    steps.push_back(d);
    d.format |= DT_NOPREFIX;
    steps.push_back(d);
    d.text = u"&Processing 8 of 10000 Ελληνικά 中文 العربية more words to wrap";
    steps.push_back(d);
    d.text = u"Quarterly figures for the northern region";
    steps.push_back(d);
    d.format = DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS;
    steps.push_back(d);

    std::vector<COLORREF> previous;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::vector<COLORREF> drawn = Draw(steps[i]);
        ASSERT_EQ(drawn, DrawOnAFreshThread(steps[i])) << "step " << i;
        // Every change above moves some pixel, so a stale layout would show.
        if (i != 1) {
            EXPECT_NE(drawn, previous) << "step " << i;
        }
        previous = drawn;
    }
}

TEST_F(LaidOutTextTest, MoreTextsThanAreKeptStillDrawAsFresh)
{
    // Drawn round twice, more of them than the thread keeps: each is laid
    // out again or found, and either way shows as fresh.
    for (int round = 0; round < 2; ++round)
        for (int n = 0; n < 12; ++n) {
            Drawing d;
            d.text = u"Message " + std::u16string(static_cast<std::size_t>(n + 1), u'x') + u" of 12";
            ASSERT_EQ(Draw(d), DrawOnAFreshThread(d)) << round << " " << n;
        }
}

TEST_F(LaidOutTextTest, AWrappedTextOfOneLineShowsItsPrefixAsTheSameLineAmongOthersDoes)
{
    // The first line of each pair is the same text: alone, or followed by
    // more lines; with a prefix, with a doubled ampersand, or without.
    const auto firstLine = [](const std::vector<COLORREF>& pixels) {
        return std::vector<COLORREF>(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(kWidth) * 17);
    };
    Drawing d;
    d.rect = {4, 4, 190, 56};
    for (const std::u16string& text : {std::u16string(u"&File the report"), std::u16string(u"Fi&le && report"),
                                       std::u16string(u"File the report")}) {
        d.text = text;
        const std::vector<COLORREF> alone = Draw(d);
        d.text = text + u"\r\nsecond line";
        const std::vector<COLORREF> among = Draw(d);
        EXPECT_EQ(firstLine(alone), firstLine(among)) << std::string(text.begin(), text.end());
    }
    d.text = u"&File the report";
    const std::vector<COLORREF> underlined = Draw(d);
    d.text = u"File the report";
    EXPECT_NE(Draw(d), underlined) << "the prefixed character is underlined";
}
