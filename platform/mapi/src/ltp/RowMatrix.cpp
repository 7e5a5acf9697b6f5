#include "mapi/ltp/RowMatrix.h"

#include <algorithm>
#include <string>

namespace mapi::ltp {

void CRowMatrix::Reset(std::size_t rowSize, std::size_t rowsPerBlock)
{
    m_rowSize = rowSize;
    m_perBlock = std::max<std::size_t>(rowsPerBlock, 1);
    m_rowCount = 0;
    m_blocks.clear();
    m_resident.clear();
}

void CRowMatrix::Assign(const Bytes& rows)
{
    Reset(m_rowSize, m_perBlock);
    const std::size_t perBlock = m_perBlock * m_rowSize;
    for (std::size_t at = 0; at < rows.size(); at += perBlock) {
        const std::size_t end = std::min(rows.size(), at + perBlock);
        m_blocks.emplace_back(rows.begin() + static_cast<std::ptrdiff_t>(at), rows.begin() + static_cast<std::ptrdiff_t>(end));
        m_resident.push_back(true);
    }
    m_rowCount = rows.size() / m_rowSize;
}

void CRowMatrix::AssignStored(std::size_t rows)
{
    Reset(m_rowSize, m_perBlock);
    m_rowCount = rows;
    const std::size_t blocks = (rows + m_perBlock - 1) / m_perBlock;
    m_blocks.assign(blocks, Bytes{});
    m_resident.assign(blocks, false);
}

Result<void> CRowMatrix::MakeResident(std::size_t block) const
{
    if (m_resident[block]) return {};
    if (!m_source) return MakeError("row matrix block " + std::to_string(block) + " is not in memory");
    auto bytes = m_source(block);
    if (!bytes) return WithContext("row matrix block " + std::to_string(block), bytes.TakeError());
    if (bytes->size() != BlockSize(block))
        return MakeError("row matrix block " + std::to_string(block) + " holds " + std::to_string(bytes->size()) +
                         " bytes, not " + std::to_string(BlockSize(block)));
    m_blocks[block] = std::move(bytes.Value());
    m_resident[block] = true;
    return {};
}

Result<std::uint8_t*> CRowMatrix::Row(std::size_t index) const
{
    if (index >= m_rowCount) return MakeError("row " + std::to_string(index) + " is past the matrix");
    const std::size_t block = index / m_perBlock;
    auto resident = MakeResident(block);
    if (!resident) return resident.TakeError();
    return &m_blocks[block][(index % m_perBlock) * m_rowSize];
}

Result<void> CRowMatrix::PushRow()
{
    // Rows go into the last block, which must hold its rows first.
    if (!m_blocks.empty())
        if (auto resident = MakeResident(m_blocks.size() - 1); !resident) return resident;
    if (m_blocks.empty() || m_blocks.back().size() + m_rowSize > m_perBlock * m_rowSize) {
        m_blocks.emplace_back();
        m_resident.push_back(true);
    }
    m_blocks.back().resize(m_blocks.back().size() + m_rowSize, 0);
    ++m_rowCount;
    return {};
}

Result<void> CRowMatrix::PopRow()
{
    if (m_rowCount == 0) return {};
    if (auto resident = MakeResident(m_blocks.size() - 1); !resident) return resident;
    --m_rowCount;
    Bytes& last = m_blocks.back();
    last.resize(last.size() - std::min(last.size(), m_rowSize));
    if (m_rowCount % m_perBlock == 0) {
        m_blocks.pop_back();
        m_resident.pop_back();
    }
    return {};
}

std::size_t CRowMatrix::BlockSize(std::size_t block) const
{
    const std::size_t first = block * m_perBlock;
    if (first >= m_rowCount) return 0;
    return std::min(m_perBlock, m_rowCount - first) * m_rowSize;
}

Result<Bytes> CRowMatrix::Block(std::size_t block) const
{
    if (block >= m_blocks.size()) return MakeError("no row matrix block " + std::to_string(block));
    auto resident = MakeResident(block);
    if (!resident) return resident.TakeError();
    return m_blocks[block];
}

Result<Bytes> CRowMatrix::All() const
{
    Bytes all;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        auto block = Block(b);
        if (!block) return block;
        all.insert(all.end(), block->begin(), block->end());
    }
    return all;
}

void CRowMatrix::Evict(const std::vector<bool>& changed)
{
    if (!m_source) return;
    for (std::size_t b = 0; b + 1 < m_blocks.size(); ++b) {
        if (!m_resident[b] || b >= changed.size() || changed[b]) continue;
        m_blocks[b].clear();
        m_blocks[b].shrink_to_fit();
        m_resident[b] = false;
    }
}

std::size_t CRowMatrix::ResidentBlocks() const
{
    return static_cast<std::size_t>(std::count(m_resident.begin(), m_resident.end(), true));
}

} // namespace mapi::ltp
