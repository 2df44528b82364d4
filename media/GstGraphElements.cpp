#include "media/GstGraphElements.h"

#include "media/GstGraph.h"
#include "platform/text/GbText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

bool IsOwnFilter(GstElement* e) {
    const char* name = GST_OBJECT_NAME(e);
    return name &&
           (std::strcmp(name, kVideoFilterName) == 0 || std::strcmp(name, kGrabberFilterName) == 0);
}

bool IsPlumbing(GstElementFactory* factory) {
    static constexpr std::array<std::string_view, 10> kPlumbing = {
        "queue",      "queue2",   "multiqueue", "typefind", "input-selector", "streamsynchronizer",
        "capsfilter", "identity", "concat",     "tee"};
    const std::string_view name = GST_OBJECT_NAME(factory);
    return std::find(kPlumbing.begin(), kPlumbing.end(), name) != kPlumbing.end();
}

bool IsFilterKind(const char* klass) {
    static constexpr std::array<const char*, 6> kKinds = {"Source",  "Demux",     "Parse",
                                                          "Decoder", "Converter", "Sink"};
    return klass && std::any_of(kKinds.begin(), kKinds.end(),
                                [klass](const char* k) { return std::strstr(klass, k); });
}

// The file-name part of a file source's location, which holds the name's bytes on disk.
QString SourceName(GstElement* e) {
    if (!g_object_class_find_property(G_OBJECT_GET_CLASS(e), "location")) return {};
    gchar* location = nullptr;
    g_object_get(e, "location", &location, nullptr);
    const std::string_view path(location ? location : "");
    const QString name = GbToQString(DiskNameToGb(path.substr(path.find_last_of('/') + 1)));
    g_free(location);
    return name;
}

std::vector<GstElement*> ChildrenSourceFirst(GstBin* bin) {
    std::vector<GstElement*> children;
    GstIterator* it = gst_bin_iterate_sorted(bin);
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done) {
        switch (gst_iterator_next(it, &item)) {
        case GST_ITERATOR_OK:
            children.push_back(GST_ELEMENT(g_value_get_object(&item)));
            g_value_reset(&item);
            break;
        case GST_ITERATOR_RESYNC:
            children.clear();
            gst_iterator_resync(it);
            break;
        default:
            done = true;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    // Sorted means sinks first; the list reads from the source on. The bin holds the
    // references while the caller works.
    std::reverse(children.begin(), children.end());
    return children;
}

void Visit(GstBin* bin, std::vector<TGraphElement>& out) {
    for (GstElement* e : ChildrenSourceFirst(bin)) {
        if (IsOwnFilter(e)) {
            out.push_back({QString::fromUtf8(GST_OBJECT_NAME(e)), MediaElementOf(e)});
            continue;
        }
        if (GST_IS_BIN(e)) {
            Visit(GST_BIN(e), out);
            continue;
        }
        GstElementFactory* factory = gst_element_get_factory(e); // internal elements have none
        if (!factory || IsPlumbing(factory)) continue;
        const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        if (!IsFilterKind(klass)) continue;
        TGraphElement entry{{}, MediaElementOf(e)};
        if (std::strstr(klass, "Source")) entry.name = SourceName(e);
        entry.fileSource = !entry.name.isEmpty();
        if (!entry.fileSource)
            entry.name = QString::fromUtf8(
                gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME));
        out.push_back(entry);
    }
}

} // namespace

std::vector<TGraphElement> ListGraphElements(GstElement* pipeline,
                                             const std::vector<GstElement*>& ownFilters) {
    std::vector<TGraphElement> out;
    if (GST_IS_BIN(pipeline)) Visit(GST_BIN(pipeline), out);
    for (GstElement* own : ownFilters) {
        const bool listed = std::any_of(out.begin(), out.end(), [own](const TGraphElement& e) {
            return GstElementOf(e.element) == own;
        });
        if (!listed) out.push_back({QString::fromUtf8(GST_OBJECT_NAME(own)), MediaElementOf(own)});
    }
    return out;
}
