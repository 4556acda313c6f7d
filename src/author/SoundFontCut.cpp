#include "author/SoundFontCut.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <stdexcept>

namespace {

uint32_t Le32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
void Put16(std::string& b, size_t at, uint32_t v) {
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}
void Put32(std::string& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xffff);
    Put16(b, at + 2, v >> 16);
}
std::string Le32Text(uint32_t v) {
    std::string b(4, '\0');
    Put32(b, 0, v);
    return b;
}

// --- MIDI ---

uint32_t Be32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
           uint32_t(uint8_t(b[at + 3]));
}

std::string StandardMidi(const std::string& content) {
    if (content.size() >= 14 && content.compare(0, 4, "MThd") == 0) return content;
    if (content.size() >= 20 && content.compare(0, 4, "RIFF") == 0 && content.compare(8, 4, "RMID") == 0) {
        for (size_t at = 12; at + 8 <= content.size();) {
            const uint32_t size = Le32(content, at + 4);
            if (content.compare(at, 4, "data") == 0) return StandardMidi(content.substr(at + 8, size));
            at += 8 + size_t(size) + (size & 1);
        }
    }
    return "";
}

struct Channel {
    int bank = 0, program = 0;
    bool sounded = false;
};

void ReadTrack(const std::string& m, size_t at, size_t end, Channel (&channels)[16], std::set<PresetNumber>& out) {
    uint8_t status = 0;
    const auto vlq = [&] {
        uint32_t v = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            const uint8_t b = uint8_t(m[at++]);
            v = v << 7 | (b & 0x7f);
            if ((b & 0x80) == 0) break;
        }
        return v;
    };
    const auto select = [&](int channel) {
        const Channel& c = channels[channel];
        const bool drums = channel == 9;
        out.insert({drums ? 128 : c.bank, c.program});
        out.insert(drums ? PresetNumber{128, 0} : PresetNumber{0, c.program});
    };
    while (at < end) {
        vlq();  // the delta time
        if (at >= end) break;
        uint8_t s = uint8_t(m[at]);
        if (s & 0x80) ++at;
        else s = status;
        if (s == 0xff) {
            if (at >= end) break;
            ++at;
            at += vlq();
            continue;
        }
        if (s == 0xf0 || s == 0xf7) {
            at += vlq();
            continue;
        }
        if ((s & 0x80) == 0) break;  // running status with nothing to run on: the track is damaged
        status = s;
        const int channel = s & 0x0f;
        const int kind = s & 0xf0;
        const size_t length = kind == 0xc0 || kind == 0xd0 ? 1 : 2;
        if (at + length > end) break;
        const int a = uint8_t(m[at]) & 0x7f, b = length == 2 ? uint8_t(m[at + 1]) & 0x7f : 0;
        at += length;
        Channel& c = channels[channel];
        if (kind == 0xb0 && a == 0) c.bank = b;
        if (kind == 0xc0) {
            c.program = a;
            select(channel);
        }
        if (kind == 0x90 && b > 0 && !c.sounded) {
            c.sounded = true;
            select(channel);
        }
    }
}

// --- SF2 ---

struct Chunk {
    size_t at = 0, size = 0;  // the data's place and length
};

// The chunks of a LIST's data (or of the RIFF form's), by their four-letter ids.
std::map<std::string, Chunk> ChunksIn(const std::string& b, size_t at, size_t end) {
    std::map<std::string, Chunk> chunks;
    while (at + 8 <= end) {
        const size_t size = Le32(b, at + 4);
        if (size > end - at - 8) throw std::runtime_error("the soundfont's chunks run past its end");
        std::string id = b.substr(at, 4);
        if (id == "LIST" && size >= 4) id = "LIST " + b.substr(at + 8, 4);
        chunks[id] = {at + 8, size};
        at += 8 + size + (size & 1);
    }
    return chunks;
}

struct Table {
    const std::string* bytes;
    Chunk chunk;
    size_t record;
    size_t Count() const { return chunk.size / record; }
    size_t At(size_t i) const { return chunk.at + i * record; }
    std::string Record(size_t i) const { return bytes->substr(At(i), record); }
};

constexpr uint16_t kInstrument = 41, kSampleId = 53;
constexpr size_t kGuardPoints = 46;  // zero points after each sample, as the format asks

std::string ListChunk(const std::string& type, const std::string& content) {
    std::string out = "LIST" + Le32Text(uint32_t(content.size() + 4)) + type + content;
    return out;
}
std::string SubChunk(const std::string& id, const std::string& content) {
    std::string out = id + Le32Text(uint32_t(content.size())) + content;
    if (content.size() & 1) out += '\0';
    return out;
}

// Zones (bags) with their generators and modulators, for presets or for instruments: copies the
// zones of the kept headers, rebasing the indices, and renumbers the generator that names what a
// zone plays (an instrument, a sample) through `renumber`.
struct Zones {
    Table headers, bags, mods, gens;
    size_t bagIndexAt;   // where a header keeps its first bag's index
    uint16_t playsWhat;  // kInstrument or kSampleId

    std::pair<size_t, size_t> BagsOf(size_t header) const {
        return {Le16(*headers.bytes, headers.At(header) + bagIndexAt), Le16(*headers.bytes, headers.At(header + 1) + bagIndexAt)};
    }
    std::set<uint16_t> Played(size_t header) const {
        std::set<uint16_t> played;
        const auto [from, to] = BagsOf(header);
        for (size_t bag = from; bag < to && bag + 1 < bags.Count(); ++bag) {
            const size_t g0 = Le16(*bags.bytes, bags.At(bag)), g1 = Le16(*bags.bytes, bags.At(bag + 1));
            for (size_t g = g0; g < g1 && g < gens.Count(); ++g)
                if (Le16(*gens.bytes, gens.At(g)) == playsWhat) played.insert(Le16(*gens.bytes, gens.At(g) + 2));
        }
        return played;
    }
    // The new header, bag, modulator and generator tables for the kept headers (in their order),
    // each closed by its terminal record.
    void Write(const std::vector<size_t>& kept, const std::map<uint16_t, uint16_t>& renumber, std::string& outHeaders,
               std::string& outBags, std::string& outMods, std::string& outGens) const {
        const auto add = [&](size_t header, bool terminal) {
            std::string h = headers.Record(header);
            Put16(h, bagIndexAt, uint32_t(outBags.size() / 4));
            outHeaders += h;
            if (terminal) return;
            const auto [from, to] = BagsOf(header);
            for (size_t bag = from; bag < to && bag + 1 < bags.Count(); ++bag) {
                std::string b = bags.Record(bag);
                Put16(b, 0, uint32_t(outGens.size() / 4));
                Put16(b, 2, uint32_t(outMods.size() / 10));
                outBags += b;
                const size_t g0 = Le16(*bags.bytes, bags.At(bag)), g1 = Le16(*bags.bytes, bags.At(bag + 1));
                for (size_t g = g0; g < g1 && g < gens.Count(); ++g) {
                    std::string gen = gens.Record(g);
                    if (Le16(gen, 0) == playsWhat) Put16(gen, 2, renumber.at(Le16(gen, 2)));
                    outGens += gen;
                }
                const size_t m0 = Le16(*bags.bytes, bags.At(bag) + 2), m1 = Le16(*bags.bytes, bags.At(bag + 1) + 2);
                for (size_t m = m0; m < m1 && m < mods.Count(); ++m) outMods += mods.Record(m);
            }
        };
        for (const size_t header : kept) add(header, false);
        add(headers.Count() - 1, true);
        std::string bag(4, '\0');
        Put16(bag, 0, uint32_t(outGens.size() / 4));
        Put16(bag, 2, uint32_t(outMods.size() / 10));
        outBags += bag;
        outGens += std::string(4, '\0');
        outMods += std::string(10, '\0');
    }
};

}  // namespace

std::set<PresetNumber> PresetsPlayedBy(const std::vector<std::string>& midiFiles) {
    std::set<PresetNumber> presets;
    for (const std::string& file : midiFiles) {
        const std::string m = StandardMidi(file);
        if (m.empty()) continue;
        Channel channels[16];  // a format 1 file's channels are shared by its tracks
        for (size_t at = 8 + Be32(m, 4); at + 8 <= m.size();) {
            const size_t size = Be32(m, at + 4);
            const size_t end = std::min(m.size(), at + 8 + size);
            if (m.compare(at, 4, "MTrk") == 0) ReadTrack(m, at + 8, end, channels, presets);
            if (size > m.size()) break;
            at = end;
        }
    }
    return presets;
}

std::string CutSoundFont(const std::string& soundFont, const std::set<PresetNumber>& presets) {
    if (soundFont.size() < 12 || soundFont.compare(0, 4, "RIFF") != 0 || soundFont.compare(8, 4, "sfbk") != 0)
        throw std::runtime_error("the soundfont is not an SF2 file");
    const auto top = ChunksIn(soundFont, 12, std::min<size_t>(soundFont.size(), 8 + size_t(Le32(soundFont, 4))));
    const auto need = [&](const std::map<std::string, Chunk>& in, const std::string& id) {
        const auto found = in.find(id);
        if (found == in.end()) throw std::runtime_error("the soundfont has no " + id + " chunk");
        return found->second;
    };
    const Chunk info = need(top, "LIST INFO"), sdta = need(top, "LIST sdta"), pdtaList = need(top, "LIST pdta");
    const auto samples = ChunksIn(soundFont, sdta.at + 4, sdta.at + sdta.size);
    const auto pdta = ChunksIn(soundFont, pdtaList.at + 4, pdtaList.at + pdtaList.size);
    const Chunk smpl = need(samples, "smpl");
    const auto sm24Found = samples.find("sm24");
    const bool has24 = sm24Found != samples.end();
    const Table shdr{&soundFont, need(pdta, "shdr"), 46};
    const Zones presetZones{{&soundFont, need(pdta, "phdr"), 38}, {&soundFont, need(pdta, "pbag"), 4},
                            {&soundFont, need(pdta, "pmod"), 10}, {&soundFont, need(pdta, "pgen"), 4}, 24, kInstrument};
    const Zones instrumentZones{{&soundFont, need(pdta, "inst"), 22}, {&soundFont, need(pdta, "ibag"), 4},
                                {&soundFont, need(pdta, "imod"), 10}, {&soundFont, need(pdta, "igen"), 4}, 20, kSampleId};
    if (presetZones.headers.Count() < 1 || instrumentZones.headers.Count() < 1 || shdr.Count() < 1)
        throw std::runtime_error("the soundfont's tables are empty");

    // What is kept, each in its first order.
    std::vector<size_t> keptPresets;
    std::set<uint16_t> instruments, sampleIds;
    for (size_t p = 0; p + 1 < presetZones.headers.Count(); ++p) {
        const size_t at = presetZones.headers.At(p);
        if (presets.count({Le16(soundFont, at + 22), Le16(soundFont, at + 20)}) == 0) continue;
        keptPresets.push_back(p);
        for (const uint16_t i : presetZones.Played(p))
            if (i + 1u < instrumentZones.headers.Count()) instruments.insert(i);
    }
    for (const uint16_t i : instruments)
        for (const uint16_t s : instrumentZones.Played(i))
            if (s + 1u < shdr.Count()) sampleIds.insert(s);
    // A stereo sample's other side comes with it.
    for (const uint16_t s : std::set<uint16_t>(sampleIds)) {
        const uint16_t type = Le16(soundFont, shdr.At(s) + 44), link = Le16(soundFont, shdr.At(s) + 42);
        if ((type & 0x0e) != 0 && link + 1u < shdr.Count()) sampleIds.insert(link);
    }
    std::map<uint16_t, uint16_t> newInstrument, newSample;
    for (const uint16_t i : instruments) newInstrument[i] = uint16_t(newInstrument.size());
    for (const uint16_t s : sampleIds) newSample[s] = uint16_t(newSample.size());

    // The sample points, each sample followed by its guard points.
    std::string points, points24, headers;
    for (const uint16_t s : sampleIds) {
        std::string h = shdr.Record(s);
        const uint32_t start = Le32(h, 20), end = Le32(h, 24);
        if (start > end || size_t(end) * 2 > smpl.size) throw std::runtime_error("a sample of the soundfont lies outside its data");
        const uint32_t at = uint32_t(points.size() / 2);
        points += soundFont.substr(smpl.at + size_t(start) * 2, size_t(end - start) * 2) + std::string(kGuardPoints * 2, '\0');
        if (has24) {
            const Chunk sm24 = sm24Found->second;
            points24 += (size_t(end) <= sm24.size ? soundFont.substr(sm24.at + start, end - start) : std::string(end - start, '\0')) +
                        std::string(kGuardPoints, '\0');
        }
        for (const size_t field : {20, 24, 28, 32}) Put32(h, field, Le32(h, field) - start + at);
        const uint16_t type = Le16(h, 44), link = Le16(h, 42);
        Put16(h, 42, (type & 0x0e) != 0 && newSample.count(link) != 0 ? newSample[link] : 0);
        headers += h;
    }
    headers += shdr.Record(shdr.Count() - 1);

    std::string phdr, pbag, pmod, pgen, inst, ibag, imod, igen;
    presetZones.Write(keptPresets, newInstrument, phdr, pbag, pmod, pgen);
    instrumentZones.Write(std::vector<size_t>(instruments.begin(), instruments.end()), newSample, inst, ibag, imod, igen);

    std::string sampleData = SubChunk("smpl", points);
    if (has24) sampleData += SubChunk("sm24", points24);
    const std::string body = "sfbk" + soundFont.substr(info.at - 8, info.size + 8 + (info.size & 1)) +
                             ListChunk("sdta", sampleData) +
                             ListChunk("pdta", SubChunk("phdr", phdr) + SubChunk("pbag", pbag) + SubChunk("pmod", pmod) +
                                                   SubChunk("pgen", pgen) + SubChunk("inst", inst) + SubChunk("ibag", ibag) +
                                                   SubChunk("imod", imod) + SubChunk("igen", igen) +
                                                   SubChunk("shdr", headers));
    return "RIFF" + Le32Text(uint32_t(body.size())) + body;
}

std::string StorySoundFont(const CollectedStory& story, const std::string& soundFont) {
    std::vector<std::string> music;
    for (const StoryFile& file : story.files) {
        std::string extension = file.path.size() >= 4 ? file.path.substr(file.path.size() - 4) : "";
        for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (extension == ".mid") music.push_back(file.bytes);
    }
    return CutSoundFont(soundFont, PresetsPlayedBy(music));
}
