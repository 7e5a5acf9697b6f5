// The block encodings of [MS-PST] 5.1 (NDB_CRYPT_PERMUTE) and 5.2
// (NDB_CRYPT_CYCLIC). They apply to the data of external data blocks only.
#pragma once

#include <cstdint>
#include <span>

namespace mapi::ndb {

enum class CryptMethod : std::uint8_t { None = 0x00, Permute = 0x01, Cyclic = 0x02 };

// The 768-byte table of [MS-PST] 5.1: the encoding permutation R, the
// cyclic middle table S, and I, the inverse of R.
std::span<const std::uint8_t, 768> CryptTable();

void EncodePermute(std::span<std::uint8_t> data);
void DecodePermute(std::span<std::uint8_t> data);
// The ways the permutation can run on this processor, each giving the same
// bytes; the two above take the fastest there is for a run of any length.
enum class CryptPath : std::uint8_t { Bytewise, Avx2, Avx512Vbmi };
bool CryptPathAvailable(CryptPath path);
void EncodePermuteOn(CryptPath path, std::span<std::uint8_t> data);
void DecodePermuteOn(CryptPath path, std::span<std::uint8_t> data);

// Its own inverse; the key is the low 32 bits of the block's BID.
void CryptCyclic(std::span<std::uint8_t> data, std::uint32_t key);

void EncodeBlock(CryptMethod method, std::span<std::uint8_t> data, std::uint64_t bid);
void DecodeBlock(CryptMethod method, std::span<std::uint8_t> data, std::uint64_t bid);

} // namespace mapi::ndb
