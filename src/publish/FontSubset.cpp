#include "publish/FontSubset.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

namespace {

template <typename T, void (*Destroy)(T*)>
struct Deleter {
    void operator()(T* p) const { Destroy(p); }
};
using Blob = std::unique_ptr<hb_blob_t, Deleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Deleter<hb_face_t, hb_face_destroy>>;
using Input = std::unique_ptr<hb_subset_input_t, Deleter<hb_subset_input_t, hb_subset_input_destroy>>;

Blob BlobOf(const std::string& bytes) {
    return Blob(hb_blob_create(bytes.data(), unsigned(bytes.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr));
}

// A name of the original, in UTF-16, as the Windows records hold it; empty when it has none.
std::u16string OriginalName(hb_face_t* face, hb_ot_name_id_t id) {
    const hb_language_t english = hb_language_from_string("en", -1);
    unsigned length = hb_ot_name_get_utf16(face, id, english, nullptr, nullptr);
    if (length == 0) return {};
    std::vector<uint16_t> text(length + 1);
    unsigned size = length + 1;
    hb_ot_name_get_utf16(face, id, english, &size, text.data());
    return std::u16string(text.begin(), text.begin() + size);
}

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

void Put16(std::string& out, unsigned value) {
    out += char((value >> 8) & 0xFF);
    out += char(value & 0xFF);
}

// A "name" table of Windows Unicode records in US English, sorted by name id as it must be.
std::string NameTable(const std::vector<std::pair<unsigned, std::u16string>>& names) {
    std::string records, strings;
    unsigned count = 0;
    for (const auto& [id, text] : names) {
        if (text.empty()) continue;
        Put16(records, 3);       // Windows
        Put16(records, 1);       // Unicode BMP
        Put16(records, 0x409);   // English (United States)
        Put16(records, id);
        Put16(records, unsigned(text.size() * 2));
        Put16(records, unsigned(strings.size()));
        for (const char16_t c : text) Put16(strings, c);
        ++count;
    }
    std::string table;
    Put16(table, 0);
    Put16(table, count);
    Put16(table, 6 + 12 * count);
    return table + records + strings;
}

}  // namespace

std::string CutDownFont(const std::string& fontBytes, const std::set<char32_t>& characters) {
    const Blob blob = BlobOf(fontBytes);
    const Face face(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(face.get()) == 0) throw std::runtime_error("the font has no glyphs");

    const Input input(hb_subset_input_create_or_fail());
    if (!input) throw std::runtime_error("HarfBuzz could not start cutting the font");
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (const char32_t c : characters) hb_set_add(unicodes, c);
    // Every name is dropped here and written anew below.
    hb_set_clear(hb_subset_input_set(input.get(), HB_SUBSET_SETS_NAME_ID));
    const Face cut(hb_subset_or_fail(face.get(), input.get()));
    if (!cut) throw std::runtime_error("HarfBuzz could not cut the font down");

    // The cut face as a file, read back to list its tables, then built again with the new names.
    const Blob cutBytes(hb_face_reference_blob(cut.get()));
    const Face reread(hb_face_create(cutBytes.get(), 0));
    hb_tag_t tags[64];
    unsigned tagCount = 64;
    hb_face_get_table_tags(reread.get(), 0, &tagCount, tags);
    const Face builder(hb_face_builder_create());
    const hb_tag_t nameTag = HB_TAG('n', 'a', 'm', 'e');
    for (unsigned i = 0; i < tagCount; ++i) {
        if (tags[i] == nameTag) continue;
        const Blob table(hb_face_reference_table(reread.get(), tags[i]));
        hb_face_builder_add_table(builder.get(), tags[i], table.get());
    }
    const std::string family = kCutDownFontFamily;
    std::string postScript = family;
    postScript.erase(std::remove(postScript.begin(), postScript.end(), ' '), postScript.end());
    const std::string names = NameTable({
        {HB_OT_NAME_ID_COPYRIGHT, OriginalName(face.get(), HB_OT_NAME_ID_COPYRIGHT)},
        {HB_OT_NAME_ID_FONT_FAMILY, Utf16(family)},
        {HB_OT_NAME_ID_FONT_SUBFAMILY, u"Regular"},
        {HB_OT_NAME_ID_UNIQUE_ID, Utf16(postScript + "-Regular")},
        {HB_OT_NAME_ID_FULL_NAME, Utf16(family)},
        {HB_OT_NAME_ID_VERSION_STRING, OriginalName(face.get(), HB_OT_NAME_ID_VERSION_STRING)},
        {HB_OT_NAME_ID_POSTSCRIPT_NAME, Utf16(postScript)},
        {HB_OT_NAME_ID_LICENSE, OriginalName(face.get(), HB_OT_NAME_ID_LICENSE)},
        {HB_OT_NAME_ID_LICENSE_URL, OriginalName(face.get(), HB_OT_NAME_ID_LICENSE_URL)},
    });
    const Blob nameBlob = BlobOf(names);
    hb_face_builder_add_table(builder.get(), nameTag, nameBlob.get());
    const Blob result(hb_face_reference_blob(builder.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(result.get(), &length);
    if (data == nullptr || length == 0) throw std::runtime_error("HarfBuzz could not write the cut-down font");
    return std::string(data, length);
}
