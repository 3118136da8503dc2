#pragma once
// Registry links and the bounds every key walk keeps. A link is a key whose
// only content is a REG_LINK value naming another key; followed by a walk, a
// link back to an ancestor makes the walk endless, and followed by a delete it
// removes a tree outside what was asked. Walks therefore open each subkey with
// LastLink::OpenLink and never descend into a link.
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"

namespace hs {

// The registry itself refuses keys nested deeper than this; a walk that gets
// there is looping, whatever the backend says.
inline constexpr int kMaxKeyDepth = 512;

inline constexpr const char* kLinkValueName = "SymbolicLinkValue";

// How a walk opens the key at `depth` below its start: the start, named by
// the caller, may be reached through a link; nothing below it is.
inline LastLink WalkLinkRule(int depth) {
  return depth == 0 ? LastLink::Follow : LastLink::OpenLink;
}

// True for the value that makes its key a link.
bool IsLinkValue(const RegValue& value);
// True when a key opened with LastLink::OpenLink is a link, judged from its
// values as read (saves asking the key again).
bool HoldsLinkValue(const std::vector<RegValue>& values);
// True when the key, opened with LastLink::OpenLink, is a link.
bool IsLinkKey(RegistryBackend& registry, const RegKeyHandle& key);

}  // namespace hs
