// controls_bench [rows]: time to fill a list table with many rows through its model and to
// repaint it, offscreen. Prints milliseconds.
#include "controls/DownloadTableView.h"
#include "controls/QVCustomTableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStandardItemModel>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? qMax(1, atoi(argv[1])) : 10000;

    for (int kind = 0; kind < 2; ++kind) {
        QTableView *view = kind == 0 ? static_cast<QTableView *>(new DownloadTableView) : new QVCustomTableView;
        view->resize(800, 600);
        view->show();
        QStandardItemModel model(0, 3);
        QElapsedTimer t;
        t.start();
        QList<QList<QStandardItem *>> items;
        items.reserve(rows);
        for (int r = 0; r < rows; ++r) {
            model.appendRow({new QStandardItem(QStringLiteral("Clip %1.mp4").arg(r)),
                             new QStandardItem(QStringLiteral("%1 MB").arg(r % 900)),
                             new QStandardItem(QStringLiteral("00:%1").arg(r % 60, 2, 10, QLatin1Char('0')))});
        }
        view->setModel(&model);
        QCoreApplication::processEvents();
        const double fillMs = t.nsecsElapsed() / 1e6;
        t.restart();
        for (int i = 0; i < 100; ++i) {
            view->verticalScrollBar()->setValue((i * 97) % rows);
            view->viewport()->repaint();
        }
        const double paintMs = t.nsecsElapsed() / 1e6;
        std::printf("%s: fill %d rows %.1f ms, 100 scrolled repaints %.1f ms (%.2f ms each)\n",
                    kind == 0 ? "DownloadTableView" : "QVCustomTableView", rows, fillMs, paintMs, paintMs / 100);
        delete view;
    }
    return 0;
}
