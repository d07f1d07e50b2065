#pragma once
// Inside the opaque blocks. ThwRecord: a 64-byte head, then the record image. IndexHandle: a 32-byte
// head, then the searched key. Heads are copied in and out, never cast in place.

#include <cstdint>
#include <cstring>

#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"

namespace hamlog {

struct ThwHead {
  uint32_t magic = 0;
  int32_t recNo = 0;        // record whose image is in the block; 0 for one built by SetThBuffer
  uint32_t callSerial = 0;  // call-sign search position; 0 = no search under way
  uint32_t callLog = 0;
  uint64_t callBase = 0;
  uint32_t callLastRec = 0;
  unsigned char callLastKey[kCallWidth] = {};
  uint32_t reserved = 0;
};
static_assert(sizeof(ThwHead) <= 64);

inline constexpr uint32_t kThwMagic = 0x31574854;  // "THW1"
inline constexpr int kThwImageOffset = 64;
static_assert(kThwImageOffset + kHdbRecordLength <= int(sizeof(ThwRecord)));

inline ThwHead ReadHead(const ThwRecord& thw) {
  ThwHead h;
  std::memcpy(&h, thw.bytes, sizeof h);
  return h;
}
inline void WriteHead(ThwRecord& thw, const ThwHead& h) { std::memcpy(thw.bytes, &h, sizeof h); }
inline unsigned char* Image(ThwRecord& thw) { return thw.bytes + kThwImageOffset; }
inline const unsigned char* Image(const ThwRecord& thw) { return thw.bytes + kThwImageOffset; }

// A block the library has not filled yet is made to hold a blank record.
inline void PrepareBlock(ThwRecord& thw) {
  if (ReadHead(thw).magic == kThwMagic) return;
  ThwHead h;
  h.magic = kThwMagic;
  WriteHead(thw, h);
  BlankRecord(Image(thw));
}

struct HandleHead {
  uint32_t magic = 0;
  uint32_t slot = 0;
  uint32_t serial = 0;
  uint32_t keyLength = 0;
  uint64_t base = 0;
  uint32_t log = 0;
  uint32_t ended = 1;
};
static_assert(sizeof(HandleHead) == 32);

inline constexpr uint32_t kHandleMagic = 0x31584449;  // "IDX1"
inline constexpr int kHandleKeyOffset = 32;
inline constexpr int kHandleKeyRoom = int(sizeof(IndexHandle)) - kHandleKeyOffset;

inline HandleHead ReadHead(const IndexHandle& h) {
  HandleHead v;
  std::memcpy(&v, h.bytes, sizeof v);
  return v;
}
inline void WriteHead(IndexHandle& h, const HandleHead& v) { std::memcpy(h.bytes, &v, sizeof v); }

}  // namespace hamlog
