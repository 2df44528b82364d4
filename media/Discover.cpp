#include "media/Discover.h"

#include <gst/pbutils/pbutils.h>

int64_t DiscoverDurationMs(const std::string& uri, int timeoutMs) {
    if (uri.empty()) return 0;
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(GstClockTime(timeoutMs) * GST_MSECOND, &error);
    if (!discoverer) {
        g_clear_error(&error);
        return 0;
    }
    int64_t ms = 0;
    if (GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri.c_str(), &error)) {
        GstClockTime d = gst_discoverer_info_get_duration(info);
        if (GST_CLOCK_TIME_IS_VALID(d)) ms = int64_t(d / GST_MSECOND);
        gst_discoverer_info_unref(info);
    }
    g_clear_error(&error);
    g_object_unref(discoverer);
    return ms;
}
