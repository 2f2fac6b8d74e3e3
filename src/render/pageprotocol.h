#pragma once

// What the program's pages and scripts agree on, named once. The cutter writes these marks into a
// rendered ledger, the ledger scheme serves pieces and manifests under these names, and the page
// scripts (src/web/js) read them: the scripts spell the same texts, and a test holds the two
// together.
namespace render::protocol {

// A repeated block: the unit pieces are made of, and a page carried over begins at.
inline constexpr char kUnit[] = "data-vz-u";
// A block holding repeated blocks, with the same number in every piece it continues into.
inline constexpr char kFrame[] = "data-vz-f";
// An opening shown again where a piece continues a block; its value says which.
inline constexpr char kRepeat[] = "data-vz-repeat";
inline constexpr char kRepeatTop[] = "top";     // the page's own header
inline constexpr char kRepeatInner[] = "inner"; // a block's opening (an account's heading, column headers)
// Elements the program adds to a page of its own, never part of the document.
inline constexpr char kOwn[] = "data-vz-own";
// The out-of-sight copy of the block before a carried page, for the style rules that look at it.
inline constexpr char kBefore[] = "data-vz-before";
// A stand-in for pieces not yet on screen.
inline constexpr char kGap[] = "data-vz-gap";

// Below a ledger's address, a path no ledger folder holds:
//   <kPiecePath>piece/<k>   piece k's content, to be added to the page
//   <kPiecePath>page/<k>    piece k as a page of its own, for printing
inline constexpr char kPiecePath[] = ".verazidedaze/";
inline constexpr char kPieceContent[] = "piece/";
inline constexpr char kPiecePage[] = "page/";

// The first page carries its manifest in a JSON script element, and the last piece of a whole
// document in a template, both at the body's end.
inline constexpr char kManifestElement[] = "verazidedaze-manifest";
inline constexpr char kLastPieceElement[] = "verazidedaze-last";
// The manifest's keys: its version (a new one per published document), whether the document is
// its ledger's beginning only, and each piece's weight and content hash.
inline constexpr char kManifestVersion[] = "version";
inline constexpr char kManifestPartial[] = "partial";
inline constexpr char kManifestWeights[] = "weights";
inline constexpr char kManifestHashes[] = "hashes";

} // namespace render::protocol
