#ifndef SV_XMLDEPTH_H
#define SV_XMLDEPTH_H

#include <QByteArray>

// The engine builds a DOM tree of the install file and walks parts of it recursively
// (stages within stages); the toolkit's DOM parser also slows down sharply with nesting.
// A document whose elements nest deeper than this is refused before the tree is built.
// Real install files nest about a dozen levels; stages can still be nested some 250 deep.
constexpr int kMaxInstallFileDepth = 512;

// True when an element of the XML text lies more than `limit` levels deep. Streams the
// text once and stops at the first element past the limit, so the time is linear in the
// text read. Malformed text is not judged here (false): the DOM parser reports it.
bool xmlNestsDeeperThan(const QByteArray& xml, int limit);

#endif
