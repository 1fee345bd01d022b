#include "TestCabinet.h"

#include <algorithm>
#include <fstream>

#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace testcab {
namespace {
constexpr size_t kBlock = 32768;
constexpr uint16_t kContinuedFromPrev = 0xFFFD;
constexpr uint16_t kContinuedToNext = 0xFFFE;
constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}
void PutString(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}
} // namespace

std::vector<uint8_t> Bytes(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<uint8_t>(state);
    }
    return bytes;
}

File MakeFile(const std::string& storedName, size_t size, uint32_t seed)
{
    File file;
    file.storedName = storedName;
    file.data = Bytes(size, seed);
    return file;
}

std::vector<std::wstring> WriteSet(const SetOptions& options, const std::vector<File>& files)
{
    // All file data in one stream; part k holds the stream bytes [k * per, (k + 1) * per).
    std::vector<uint8_t> stream;
    std::vector<std::pair<size_t, size_t>> ranges;
    for (const File& file : files) {
        ranges.emplace_back(stream.size(), stream.size() + file.data.size());
        stream.insert(stream.end(), file.data.begin(), file.data.end());
    }
    const size_t total = stream.size();
    const size_t per = options.dataPerCabinet == 0 ? std::max<size_t>(total, 1) : options.dataPerCabinet;
    const size_t count = std::max<size_t>(1, (total + per - 1) / per);
    const std::string recorded = options.recordedBase.empty() ? WideToUtf8(options.baseName) : options.recordedBase;

    // As the system's own cabinet builder does it: every file that begins in a part lies in a folder
    // that begins in that part (a folder continues into the next part only inside a file).
    struct Folder {
        size_t start = 0;
        size_t end = 0;
    };
    std::vector<Folder> folders;
    std::vector<size_t> folderOf(files.size());
    auto partOf = [&](size_t position) { return std::min(count - 1, position / per); };
    for (size_t i = 0; i < files.size(); ++i) {
        const auto [fs, fe] = ranges[i];
        if (folders.empty() || partOf(folders.back().start) != partOf(fs)) {
            folders.push_back({fs, fs});
        }
        folderOf[i] = folders.size() - 1;
        folders.back().end = fe;
    }
    if (folders.empty()) {
        folders.push_back({0, 0});
    }

    std::vector<std::wstring> paths;
    for (size_t k = 0; k < count; ++k) {
        const size_t ks = k * per;
        const size_t ke = std::min(total, ks + per);
        const bool last = k + 1 == count;
        auto startsHere = [&](size_t position) {
            return position >= ks && (position < ke || (last && position == ke));
        };

        // Folders of this part: those with data here, or with a file that starts here.
        std::vector<size_t> present;
        for (size_t f = 0; f < folders.size(); ++f) {
            bool here = std::max(folders[f].start, ks) < std::min(folders[f].end, ke);
            for (size_t i = 0; i < files.size() && !here; ++i) {
                here = folderOf[i] == f && startsHere(ranges[i].first);
            }
            if (here) {
                present.push_back(f);
            }
        }

        struct Entry {
            const File* file;
            uint32_t offset;
            uint16_t folder;
        };
        std::vector<Entry> entries;
        for (size_t i = 0; i < files.size(); ++i) {
            const auto [fs, fe] = ranges[i];
            const uint32_t offset = static_cast<uint32_t>(fs - folders[folderOf[i]].start);
            if (startsHere(fs)) {
                const size_t index =
                    static_cast<size_t>(std::find(present.begin(), present.end(), folderOf[i]) - present.begin());
                entries.push_back({&files[i], offset, static_cast<uint16_t>(fe > ke ? kContinuedToNext : index)});
            } else if (fs < ks && fe > ks) {
                entries.push_back(
                    {&files[i], offset, static_cast<uint16_t>(fe > ke ? kContinuedPrevAndNext : kContinuedFromPrev)});
            }
        }

        std::vector<uint8_t> cab;
        const char* magic = options.productMagic ? "ORLO" : "MSCF";
        cab.insert(cab.end(), magic, magic + 4);
        Put32(cab, 0);
        Put32(cab, 0); // cabinet size, set below
        Put32(cab, 0);
        Put32(cab, 0); // offset of the first file entry, set below
        Put32(cab, 0);
        cab.push_back(3);
        cab.push_back(1);
        Put16(cab, static_cast<uint16_t>(present.size()));
        Put16(cab, static_cast<uint16_t>(entries.size()));
        Put16(cab, static_cast<uint16_t>((k > 0 ? 1 : 0) | (!last ? 2 : 0)));
        Put16(cab, options.setId);
        Put16(cab, static_cast<uint16_t>(static_cast<int>(k) + options.indexOffset));
        if (k > 0) {
            PutString(cab, recorded + WideToUtf8(FormatW(L".%03d", static_cast<int>(k))));
            PutString(cab, "");
        }
        if (!last) {
            PutString(cab, recorded + WideToUtf8(FormatW(L".%03d", static_cast<int>(k + 2))));
            PutString(cab, "");
        }
        std::vector<size_t> folderEntryAt;
        for (size_t f : present) {
            (void)f;
            folderEntryAt.push_back(cab.size());
            Put32(cab, 0); // data offset, set below
            Put16(cab, 0); // block count, set below
            Put16(cab, 0); // stored
        }
        Set32(cab, 16, static_cast<uint32_t>(cab.size()));
        for (const Entry& entry : entries) {
            Put32(cab, static_cast<uint32_t>(entry.file->data.size()));
            Put32(cab, entry.offset);
            Put16(cab, entry.folder);
            Put16(cab, entry.file->date);
            Put16(cab, entry.file->time);
            Put16(cab, entry.file->attributes);
            PutString(cab, entry.file->storedName);
        }
        // Data blocks of 32 KiB from each folder's start; a block that crosses into the next part
        // is split there (its first piece declares 0 uncompressed bytes).
        for (size_t n = 0; n < present.size(); ++n) {
            const Folder& folder = folders[present[n]];
            Set32(cab, folderEntryAt[n], static_cast<uint32_t>(cab.size()));
            uint16_t pieces = 0;
            for (size_t bs = folder.start; bs < folder.end; bs += kBlock) {
                const size_t be = std::min(folder.end, bs + kBlock);
                const size_t ps = std::max(bs, ks);
                const size_t pe = std::min(be, ke);
                if (ps >= pe) {
                    continue;
                }
                Put32(cab, 0); // no checksum
                Put16(cab, static_cast<uint16_t>(pe - ps));
                Put16(cab, static_cast<uint16_t>(be > ke ? 0 : be - bs));
                cab.insert(cab.end(), stream.begin() + static_cast<std::ptrdiff_t>(ps),
                           stream.begin() + static_cast<std::ptrdiff_t>(pe));
                ++pieces;
            }
            if (folder.end > ke && ke > folder.start && (ke - folder.start) % kBlock == 0) {
                // The library moves to the next part only at a split block: end with an empty piece.
                Put32(cab, 0);
                Put16(cab, 0);
                Put16(cab, 0);
                ++pieces;
            }
            cab[folderEntryAt[n] + 4] = static_cast<uint8_t>(pieces);
            cab[folderEntryAt[n] + 5] = static_cast<uint8_t>(pieces >> 8);
        }
        Set32(cab, 8, static_cast<uint32_t>(cab.size()));

        const std::wstring name = count == 1 && !options.singleName.empty()
                                      ? options.singleName
                                      : options.baseName + FormatW(L".%03d", static_cast<int>(k + 1));
        const std::wstring path = options.folder + name;
        std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(cab.data()), static_cast<std::streamsize>(cab.size()));
        paths.push_back(path);
    }
    return paths;
}

} // namespace testcab
