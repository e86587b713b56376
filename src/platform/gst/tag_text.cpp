// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gst/gst.h>

#include "platform/gst/tag_text.h"

#include "common/remote_text.h"

#include <QByteArrayList>
#include <QStringDecoder>
#include <algorithm>

namespace platform {

namespace {

QString decodeAll(const QByteArray& raw) {
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; five of those are unassigned
    // and keep their Latin-1 meaning.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (!utf8.hasError()) {
        // C1 control characters never belong in a title: they are Windows-1252 text that an
        // earlier stage read as Latin-1.
        for (QChar& c : text)
            if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
                c = QChar(high[c.unicode() - 0x80]);
        return text.trimmed();
    }
    text.clear();
    text.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x80 && byte < 0xA0) ? QChar(high[byte - 0x80]) : QChar(byte);
    }
    return text.trimmed();
}

// Adds to `cleaned` the text values of one tag of `tags`, cleaned as the program shows
// them, in place of those it holds; other values are left as they are.
void cleanTextTag(const GstTagList* tags, const gchar* tag, gpointer cleaned) {
    if (gst_tag_get_type(tag) != G_TYPE_STRING)
        return;
    auto* out = static_cast<GstTagList*>(cleaned);
    QByteArrayList values;
    bool changed = false;
    const guint count = gst_tag_list_get_tag_size(tags, tag);
    for (guint i = 0; i < count; ++i) {
        const gchar* value = nullptr;
        if (!gst_tag_list_peek_string_index(tags, tag, i, &value) || value == nullptr)
            continue;
        const QByteArray raw(value);
        const QByteArray clean = common::cleanRemoteText(QString::fromUtf8(raw)).toUtf8();
        changed = changed || clean != raw;
        if (!clean.isEmpty())
            values << clean;
    }
    if (!changed)
        return;
    gst_tag_list_remove_tag(out, tag);
    for (const QByteArray& v : values)
        gst_tag_list_add(out, GST_TAG_MERGE_APPEND, tag, v.constData(), nullptr);
}

// Tags travel with the audio to the output, which passes them on: PulseAudio shows a
// stream's title, and drops a client whose title runs to tens of kilobytes, which then
// reconnects into the same title for good. Every text tag reaches the output as one
// capped line of plain text, as the status line shows it.
GstPadProbeReturn cleanTagsForOutput(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (event == nullptr || GST_EVENT_TYPE(event) != GST_EVENT_TAG)
        return GST_PAD_PROBE_OK;
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    GstTagList* cleaned = gst_tag_list_copy(tags);
    gst_tag_list_foreach(tags, &cleanTextTag, cleaned);
    if (gst_tag_list_is_equal(tags, cleaned)) {
        gst_tag_list_unref(cleaned);
        return GST_PAD_PROBE_OK;
    }
    GstEvent* replacement = gst_event_new_tag(cleaned);
    gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = replacement;
    return GST_PAD_PROBE_OK;
}

} // namespace

QString decodeTagText(const QByteArray& whole) {
    // Only the start of a huge title can be shown; the rest is not even decoded. The cut
    // falls on the start of a UTF-8 sequence, so valid UTF-8 stays valid.
    constexpr qsizetype kLongestRead = 16 * common::kRemoteTextMaxLength;
    qsizetype cut = std::min(whole.size(), kLongestRead);
    while (cut < whole.size() && cut > 0 &&
           (static_cast<unsigned char>(whole.at(cut)) & 0xC0) == 0x80)
        --cut;
    return common::cleanRemoteText(decodeAll(whole.left(cut)));
}

void cleanTextTagsReaching(GstElement* sink) {
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    if (pad == nullptr)
        return;
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &cleanTagsForOutput, nullptr,
                      nullptr);
    gst_object_unref(pad);
}

} // namespace platform
