#include "window/Icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: register them before the first use.
static void initIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace Icons {

QIcon icon(const QString& name, int size) {
    initIconResources();
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QIcon result;
    for (int px : {size - 7, size}) {
        QPixmap pm(px, px);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        renderer.render(&p);
        p.end();
        result.addPixmap(pm);
    }
    return result;
}

} // namespace Icons
