// GB18030 -> UTF-8 -> GB18030 of register paths: Qt's ICU-backed codec (what GbText uses)
// against glibc iconv, to keep the faster one.
//   build/bench/bench_text_codec [count]
#include "BenchUtil.h"

#include "platform/text/GbText.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>
#include <iconv.h>
#include <vector>

namespace {
std::string Iconv(iconv_t cd, const std::string& in) {
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.resize(out.size() - dstLeft);
    return out;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    std::vector<std::string> gb;
    for (int i = 0; i < count; ++i)
        gb.push_back(Utf8ToGb("/媒体/电影/欧美 合集/生化危机" + std::to_string(i) + ".RMVB"));
    size_t sink = 0;
    QStringDecoder decode("GB18030", QStringConverter::Flag::Stateless);
    QStringEncoder encode("GB18030", QStringConverter::Flag::Stateless);
    double qt = Time([&] {
        for (const auto& s : gb) {
            QByteArray utf8 =
                QString(decode(QByteArrayView(s.data(), qsizetype(s.size())))).toUtf8();
            sink += QByteArray(encode(QString::fromUtf8(utf8))).size();
        }
    });
    double ours = Time([&] {
        for (const auto& s : gb)
            sink += Utf8ToGb(GbToUtf8(s)).size();
    });
    iconv_t toUtf8 = iconv_open("UTF-8", "GB18030"), toGb = iconv_open("GB18030", "UTF-8");
    double ic = Time([&] {
        for (const auto& s : gb)
            sink += Iconv(toGb, Iconv(toUtf8, s)).size();
    });
    std::printf("%d round trips: Qt codec %.3f s, raw iconv %.3f s (Qt/iconv %.2f), "
                "GbText %.3f s [%zu]\n",
                count, qt, ic, qt / ic, ours, sink);
    return 0;
}
