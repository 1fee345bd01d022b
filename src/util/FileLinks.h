#pragma once
// Links (reparse points: symbolic links, junctions, mount points) below a folder the run works in.
// Whatever a package plants or finds there, the run neither writes, deletes nor walks through one:
// Wine's DeleteFile and RemoveDirectory act on what a link leads to, not on the link.
#include <string>

// True when `path` itself is a link (its own attributes, not those of what it leads to).
bool IsLink(const std::wstring& path);

// True when `path` or a folder between it and `root` (not `root` itself) is a link.
bool HasLinkBelow(const std::wstring& path, const std::wstring& root);

// True when `path` (below `root`) is reached through a link: HasLinkBelow, or the existing file
// opens somewhere else than where the path says (Wine shows a file link as a plain file; only the
// place it opens gives it away). `root` itself may be a link.
bool ReachesThroughLink(const std::wstring& path, const std::wstring& root);
