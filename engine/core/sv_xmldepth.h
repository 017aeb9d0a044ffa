#ifndef SV_XMLDEPTH_H
#define SV_XMLDEPTH_H

#include <QByteArray>

// The engine builds a DOM tree of the install file and walks parts of it recursively
// (stages within stages); the toolkit's DOM parser also slows down sharply with nesting.
// A document whose elements nest deeper than this is refused before the tree is built.
// Real install files nest about a dozen levels; stages can still be nested some 250 deep.
constexpr int kMaxInstallFileDepth = 512;

// True when an element of the XML text lies more than `limit` levels deep. Scans the bytes
// once and stops at the first element past the limit, so the time is linear in the text
// read (some thirty times faster than the toolkit's tokenizer). A text in another encoding than
// UTF-8 or an ASCII-compatible one, or with a document type declaration, is read with
// xmlNestsDeeperThanStreamed() instead. Malformed text is not judged here: what lies past
// the first fault does not count (the DOM parser reports the fault).
bool xmlNestsDeeperThan(const QByteArray& xml, int limit);

// The same question answered with the toolkit's XML tokenizer (entities declared in the
// document expanded), also linear but slower.
bool xmlNestsDeeperThanStreamed(const QByteArray& xml, int limit);

#endif
