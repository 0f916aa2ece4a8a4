// How much work a PDF file may cost before it is taken to be hostile. qpdf reads objects lazily, so
// the costs that grow with the file are the cross-reference table, a reconstruction scan of a
// damaged file, the page tree walk and the decoded metadata stream; each has its bound here.
#pragma once
#include <cstdint>

namespace aldra {

// Illustrator files with placed images reach a few hundred MB; past this the file is refused.
inline constexpr uint64_t kMostPdfFileBytes = uint64_t{2} << 30;
// A damaged cross-reference table makes qpdf scan the whole file for objects; only files up to
// this size get that second chance (about a second of scanning).
inline constexpr uint64_t kMostRecoveredPdfBytes = uint64_t{64} << 20;
// Illustrator's own files hold a few thousand objects; a table claiming more is not read.
inline constexpr uint64_t kMostPdfObjects = 4u << 20;
// The first page lies at the end of a chain of page-tree nodes; a deeper chain or more nodes
// visited before it is a loop or a hostile tree.
inline constexpr uint32_t kMostPageTreeDepth = 64;
inline constexpr uint32_t kMostPageTreeNodes = 4096;
// XMP packets with a 256-pixel thumbnail are a few tens of KB; a metadata stream that decodes to
// more is cut off there (a compressed stream may otherwise expand without bound).
inline constexpr uint32_t kMostXmpPacketBytes = 16u << 20;

}  // namespace aldra
