#pragma once
// Which file a path names. Paths reach the program in several forms (composed from a folder and a
// stored name, reported by a folder walk, with the "\\?\" prefix, relative, in 8.3 form, in any
// case); wherever it matters whether two of them are the same file, they are compared by identity.
#include <set>
#include <string>
#include <vector>

// The full path as GetFullPathName forms it ("." and ".." resolved, trailing dots and blanks of
// the last component dropped); empty when it cannot be formed.
std::wstring FullPathName(const std::wstring& path);

// Where an existing file or folder really lies, links resolved, in the plain drive or UNC form;
// empty when it cannot be opened.
std::wstring FinalPathName(const std::wstring& path);

// The comparable form of a path: without the "\\?\" prefix, full, with the 8.3 components of what
// exists spelled out, without a final backslash (a drive root keeps its own), upper case.
std::wstring PathIdentity(const std::wstring& path);

// Paths compared by identity.
class CPathSet {
public:
    CPathSet() = default;
    explicit CPathSet(const std::vector<std::wstring>& paths);
    bool Contains(const std::wstring& path) const;

private:
    std::set<std::wstring> m_identities;
    std::set<std::wstring> m_names; // their last components, and the 8.3 aliases of those that exist
};
