// What the pre-flight costs against the parse it guards: the same ledger scanned, then parsed by
// libxml2 with the renderer's options, in one run (file in the page cache for both).
// usage: preflight_bench LEDGER.xml
#include "common/xmlpreflight.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <libxml/parser.h>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: preflight_bench LEDGER.xml\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile warm(path);
    if (warm.open(QIODevice::ReadOnly)) {
        while (!warm.read(1 << 20).isEmpty()) {
        }
    }
    QElapsedTimer timer;
    timer.start();
    const common::XmlPreflight preflight = common::preflightXmlFile(path);
    const qint64 scan = timer.restart();
    xmlDocPtr doc =
        xmlReadFile(argv[1], nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_HUGE | XML_PARSE_COMPACT | XML_PARSE_NOBLANKS);
    const qint64 parse = timer.elapsed();
    xmlFreeDoc(doc);
    std::printf("%s: %.1f MB; pre-flight %lld ms (%s), parse %lld ms; pre-flight/parse %.1f %%\n", argv[1],
                double(warm.size()) / (1 << 20), scan, preflight.ok() ? "accepted" : "refused", parse,
                parse > 0 ? 100.0 * double(scan) / double(parse) : 0.0);
    return doc != nullptr && preflight.ok() ? 0 : 1;
}
