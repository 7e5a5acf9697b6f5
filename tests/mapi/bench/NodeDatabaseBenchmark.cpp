// Cost of adding a node as the store grows: writing one node into a store of
// N nodes, with and without its commit (the commit includes two fsyncs).
#include "mapi/NodeDatabase.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

using namespace mapi;

namespace {

struct Store {
    std::filesystem::path path;
    std::unique_ptr<CNodeDatabase> db;
    std::uint32_t next = 0;
    ~Store()
    {
        db.reset();
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

NodeContent Content(std::uint32_t n) { return NodeContent{{Bytes(200 + n % 800, static_cast<std::uint8_t>(n))}, {}}; }

// One store per size, built once and grown by the runs.
Store& StoreOf(std::uint32_t nodes)
{
    static std::map<std::uint32_t, Store> stores;
    auto it = stores.find(nodes);
    if (it != stores.end())
        return it->second;
    Store& s = stores[nodes];
    s.path = std::filesystem::temp_directory_path() /
             ("mapi-bench-" + std::to_string(getpid()) + "-" + std::to_string(nodes) + ".pst");
    std::filesystem::remove(s.path);
    s.db = *CNodeDatabase::Create(s.path);
    for (; s.next < nodes; ++s.next) {
        (void)s.db->WriteNode(MakeNid(NidType::NormalMessage, 0x10001 + s.next), 0x8062, Content(s.next));
        if (s.next % 5000 == 4999)
            (void)s.db->Commit();
    }
    (void)s.db->Commit();
    return s;
}

void AddNode(benchmark::State& state, bool commit)
{
    Store& s = StoreOf(static_cast<std::uint32_t>(state.range(0)));
    for (auto _ : state) {
        if (!s.db->WriteNode(MakeNid(NidType::NormalMessage, 0x10001 + s.next), 0x8062, Content(s.next)).Ok())
            state.SkipWithError("write failed");
        ++s.next;
        if (commit && !s.db->Commit().Ok())
            state.SkipWithError("commit failed");
    }
    if (!commit)
        (void)s.db->Commit();
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(s.path)) / 1e6;
}

void BM_AddNode(benchmark::State& state) { AddNode(state, false); }
void BM_AddNodeAndCommit(benchmark::State& state) { AddNode(state, true); }

} // namespace

BENCHMARK(BM_AddNode)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddNodeAndCommit)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Iterations(300);

BENCHMARK_MAIN();
