// Speed of the LTP layer's hot paths. Run by hand; nothing here is asserted.
#include <benchmark/benchmark.h>

#include "mapi/ltp/CompressedRtf.h"
#include "mapi/ltp/PropertyContext.h"
#include "mapi/ltp/TableTemplates.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

CPropertyBag MessageCells(std::uint32_t i)
{
    CPropertyBag cells;
    cells.Set(PR_SUBJECT, PropertyValue::Unicode(u"Weekly report number " + std::u16string(i % 13 + 1, u'x')));
    cells.Set(PR_MESSAGE_CLASS, PropertyValue::Unicode(u"IPM.Note"));
    cells.Set(PR_SENT_REPRESENTING_NAME, PropertyValue::Unicode(u"Someone Somewhere"));
    cells.Set(PR_DISPLAY_TO, PropertyValue::Unicode(u"Another Person"));
    cells.Set(PR_MESSAGE_FLAGS, PropertyValue::Long(1));
    cells.Set(PR_MESSAGE_SIZE, PropertyValue::Long(2048));
    cells.Set(PR_MESSAGE_DELIVERY_TIME, PropertyValue::SysTime(0x01D9000000000000ull + i));
    cells.Set(PR_CLIENT_SUBMIT_TIME, PropertyValue::SysTime(0x01D9000000000000ull + i));
    return cells;
}

// The cost of one more message row once the folder holds range(0) messages,
// including the node's blocks the writer would hand to the file layer.
void BM_ContentsTableAppend(benchmark::State& state)
{
    const auto existing = static_cast<std::uint32_t>(state.range(0));
    CTableContext tc = CreateTable(TableKind::Contents).Value();
    for (std::uint32_t i = 0; i < existing; ++i) (void)tc.AppendRow(0x200004 + 32 * i, MessageCells(i));
    std::uint32_t next = existing;
    for (auto _ : state) {
        auto appended = tc.AppendRow(0x200004 + 32 * next, MessageCells(next));
        benchmark::DoNotOptimize(appended);
        ++next;
    }
}
BENCHMARK(BM_ContentsTableAppend)->Arg(100)->Arg(1000)->Arg(10000)->Arg(50000);

void BM_ContentsTableToNode(benchmark::State& state)
{
    CTableContext tc = CreateTable(TableKind::Contents).Value();
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(state.range(0)); ++i)
        (void)tc.AppendRow(0x200004 + 32 * i, MessageCells(i));
    for (auto _ : state) benchmark::DoNotOptimize(tc.ToNode());
}
BENCHMARK(BM_ContentsTableToNode)->Arg(1000)->Arg(10000);

void BM_MessagePropertyContextWrite(benchmark::State& state)
{
    CPropertyBag bag = MessageCells(7);
    bag.Set(PR_BODY, PropertyValue::Unicode(std::u16string(6000, u'b')));
    for (auto _ : state) benchmark::DoNotOptimize(CPropertyContext::Write(bag));
}
BENCHMARK(BM_MessagePropertyContextWrite);

void BM_CompressRtf(benchmark::State& state)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}";
    while (rtf.size() < 64 * 1024) rtf += "\\par Dear colleague, the figures for this quarter follow.\\b bold\\b0 ";
    const Bytes input(rtf.begin(), rtf.end());
    for (auto _ : state) benchmark::DoNotOptimize(CompressRtf(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_CompressRtf);

} // namespace
