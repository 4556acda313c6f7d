#include "publish/SoundFontCut.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <tuple>
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

struct Event {
    uint64_t tick;
    size_t track, order;
    uint8_t status, a, b;
};

// A track's channel events, at their ticks from the start.
void ReadTrack(const std::string& m, size_t at, size_t end, size_t track, std::vector<Event>& events) {
    uint8_t status = 0;
    uint64_t tick = 0;
    const auto vlq = [&] {
        uint32_t v = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            const uint8_t b = uint8_t(m[at++]);
            v = v << 7 | (b & 0x7f);
            if ((b & 0x80) == 0) break;
        }
        return v;
    };
    while (at < end) {
        tick += vlq();
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
        const size_t length = (s & 0xf0) == 0xc0 || (s & 0xf0) == 0xd0 ? 1 : 2;
        if (at + length > end) break;
        events.push_back({tick, track, events.size(), s, uint8_t(uint8_t(m[at]) & 0x7f),
                          uint8_t(length == 2 ? uint8_t(m[at + 1]) & 0x7f : 0)});
        at += length;
    }
}

// The presets a channel's notes may sound on: the one selected, and the synthesizer's fallback
// where the soundfont lacks it.
std::vector<PresetNumber> Candidates(int channel, PresetNumber selected) {
    return {selected, channel == 9 ? PresetNumber{128, 0} : PresetNumber{0, selected.second}};
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

constexpr uint16_t kKeyRange = 43, kVelocityRange = 44;

// Zones (bags) with their generators and modulators, for presets or for instruments: which notes
// reach each zone and what it plays (an instrument, a sample); and the tables again for the zones
// kept, the indices rebased and what they play renumbered.
struct Zones {
    Table headers, bags, mods, gens;
    size_t bagIndexAt;   // where a header keeps its first bag's index
    uint16_t playsWhat;  // kInstrument or kSampleId

    std::pair<size_t, size_t> BagsOf(size_t header) const {
        const size_t from = Le16(*headers.bytes, headers.At(header) + bagIndexAt);
        const size_t to = Le16(*headers.bytes, headers.At(header + 1) + bagIndexAt);
        return {from, std::min(to, bags.Count() > 0 ? bags.Count() - 1 : 0)};
    }
    std::pair<size_t, size_t> GensOf(size_t bag) const {
        return {Le16(*bags.bytes, bags.At(bag)), std::min<size_t>(Le16(*bags.bytes, bags.At(bag + 1)), gens.Count())};
    }
    // What the zone plays; none for a global zone.
    std::optional<uint16_t> Plays(size_t bag) const {
        const auto [from, to] = GensOf(bag);
        for (size_t g = from; g < to; ++g)
            if (Le16(*gens.bytes, gens.At(g)) == playsWhat) return Le16(*gens.bytes, gens.At(g) + 2);
        return std::nullopt;
    }
    // The notes of those given that the zone answers to (its key and velocity ranges; all where
    // it names none).
    std::set<Note> Reaching(size_t bag, const std::set<Note>& notes) const {
        int keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
        const auto [from, to] = GensOf(bag);
        for (size_t g = from; g < to; ++g) {
            const uint16_t oper = Le16(*gens.bytes, gens.At(g));
            const int low = uint8_t((*gens.bytes)[gens.At(g) + 2]), high = uint8_t((*gens.bytes)[gens.At(g) + 3]);
            if (oper == kKeyRange) keyLow = low, keyHigh = high;
            if (oper == kVelocityRange) velocityLow = low, velocityHigh = high;
        }
        std::set<Note> reached;
        for (const Note& note : notes)
            if (note.first >= keyLow && note.first <= keyHigh && note.second >= velocityLow && note.second <= velocityHigh)
                reached.insert(note);
        return reached;
    }
    // The new header, bag, modulator and generator tables for the kept headers (in their order)
    // with their kept zones, each table closed by its terminal record.
    void Write(const std::vector<size_t>& kept, const std::set<size_t>& keptBags,
               const std::map<uint16_t, uint16_t>& renumber, std::string& outHeaders, std::string& outBags,
               std::string& outMods, std::string& outGens) const {
        const auto add = [&](size_t header, bool terminal) {
            std::string h = headers.Record(header);
            Put16(h, bagIndexAt, uint32_t(outBags.size() / 4));
            outHeaders += h;
            if (terminal) return;
            const auto [from, to] = BagsOf(header);
            for (size_t bag = from; bag < to; ++bag) {
                if (keptBags.count(bag) == 0) continue;
                std::string b = bags.Record(bag);
                Put16(b, 0, uint32_t(outGens.size() / 4));
                Put16(b, 2, uint32_t(outMods.size() / 10));
                outBags += b;
                const auto [g0, g1] = GensOf(bag);
                for (size_t g = g0; g < g1; ++g) {
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

PlayedNotes NotesPlayedBy(const std::vector<std::string>& midiFiles) {
    PlayedNotes played;
    for (const std::string& file : midiFiles) {
        const std::string m = StandardMidi(file);
        if (m.empty()) continue;
        std::vector<Event> events;
        size_t track = 0;
        for (size_t at = 8 + Be32(m, 4); at + 8 <= m.size(); ++track) {
            const size_t size = Be32(m, at + 4);
            const size_t end = std::min(m.size(), at + 8 + size);
            if (m.compare(at, 4, "MTrk") == 0) ReadTrack(m, at + 8, end, track, events);
            if (size > m.size()) break;
            at = end;
        }
        // As the player runs them: by tick, and at one tick track by track.
        std::sort(events.begin(), events.end(), [](const Event& x, const Event& y) {
            return std::tie(x.tick, x.track, x.order) < std::tie(y.tick, y.track, y.order);
        });
        int bank[16] = {};
        PresetNumber selected[16];
        for (int channel = 0; channel < 16; ++channel) selected[channel] = {channel == 9 ? 128 : 0, 0};
        for (const Event& e : events) {
            const int channel = e.status & 0x0f, kind = e.status & 0xf0;
            if (kind == 0xb0 && e.a == 0) bank[channel] = e.b;
            if (kind == 0xc0) {
                selected[channel] = {channel == 9 ? 128 : bank[channel], e.a};
                for (const PresetNumber& preset : Candidates(channel, selected[channel])) played[preset];
            }
            if (kind == 0x90 && e.b > 0)
                for (const PresetNumber& preset : Candidates(channel, selected[channel])) played[preset].insert({e.a, e.b});
        }
    }
    return played;
}

std::string CutSoundFont(const std::string& soundFont, const PlayedNotes& played) {
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

    // What is kept: the presets played, the zones their notes reach, the instruments those play
    // (with the notes that reach them) and the samples of the instrument zones those notes reach.
    std::vector<size_t> keptPresets;
    std::set<size_t> presetBags, instrumentBags;
    std::map<uint16_t, std::set<Note>> instruments;
    std::set<uint16_t> sampleIds;
    for (size_t p = 0; p + 1 < presetZones.headers.Count(); ++p) {
        const size_t at = presetZones.headers.At(p);
        const auto found = played.find({Le16(soundFont, at + 22), Le16(soundFont, at + 20)});
        if (found == played.end()) continue;
        keptPresets.push_back(p);
        const auto [from, to] = presetZones.BagsOf(p);
        for (size_t bag = from; bag < to; ++bag) {
            const std::optional<uint16_t> instrument = presetZones.Plays(bag);
            if (!instrument) {
                presetBags.insert(bag);  // a global zone: what the others share
                continue;
            }
            const std::set<Note> reaching = presetZones.Reaching(bag, found->second);
            if (reaching.empty() || *instrument + 1u >= instrumentZones.headers.Count()) continue;
            presetBags.insert(bag);
            instruments[*instrument].insert(reaching.begin(), reaching.end());
        }
    }
    for (const auto& [instrument, notes] : instruments) {
        const auto [from, to] = instrumentZones.BagsOf(instrument);
        for (size_t bag = from; bag < to; ++bag) {
            const std::optional<uint16_t> sample = instrumentZones.Plays(bag);
            if (!sample) {
                instrumentBags.insert(bag);
                continue;
            }
            if (instrumentZones.Reaching(bag, notes).empty() || *sample + 1u >= shdr.Count()) continue;
            instrumentBags.insert(bag);
            sampleIds.insert(*sample);
        }
    }
    // A stereo sample's other side comes with it.
    for (const uint16_t s : std::set<uint16_t>(sampleIds)) {
        const uint16_t type = Le16(soundFont, shdr.At(s) + 44), link = Le16(soundFont, shdr.At(s) + 42);
        if ((type & 0x0e) != 0 && link + 1u < shdr.Count()) sampleIds.insert(link);
    }
    std::map<uint16_t, uint16_t> newInstrument, newSample;
    for (const auto& [instrument, notes] : instruments) newInstrument[instrument] = uint16_t(newInstrument.size());
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
    presetZones.Write(keptPresets, presetBags, newInstrument, phdr, pbag, pmod, pgen);
    std::vector<size_t> keptInstruments;
    for (const auto& [instrument, notes] : instruments) keptInstruments.push_back(instrument);
    instrumentZones.Write(keptInstruments, instrumentBags, newSample, inst, ibag, imod, igen);

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
        if (extension != ".mid") continue;
        std::ifstream in(file.source, std::ios::binary);
        if (!in) throw std::runtime_error(file.source + ": cannot be read");
        music.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return CutSoundFont(soundFont, NotesPlayedBy(music));
}
