// Sorting and search of the library page.
#include "library/DownloadedViewCtrl.h"

#include "controls/DownloadTableView.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

const QString SortByKey = QStringLiteral("SortByKey");
const QString SortByOrder = QStringLiteral("SortByOrder");

struct KeyName
{
    DownloadedViewCtrl::SortKey key;
    const char *code;
};
constexpr KeyName KeyNames[] = {{DownloadedViewCtrl::SortKey::Date, "Date"},
                                {DownloadedViewCtrl::SortKey::Size, "Size"},
                                {DownloadedViewCtrl::SortKey::Length, "Length"},
                                {DownloadedViewCtrl::SortKey::Name, "Name"},
                                {DownloadedViewCtrl::SortKey::Site, "Site"}};

// A stored value is the English code; a value stored as the localised title (older settings)
// means the same.
bool isStored(const QString &value, const char *code)
{
    return value == QLatin1String(code) || value == MainBundle::localizedString(code);
}

// The host of a page address; addresses repeat (one site, many videos), so hosts are cached.
QString hostOf(const QString &pageURL)
{
    static QHash<QString, QString> cache;
    auto it = cache.constFind(pageURL);
    if (it != cache.constEnd())
        return it.value();
    if (cache.size() > 100000)
        cache.clear();
    return cache.insert(pageURL, QUrl(pageURL).host()).value();
}

// The action items of the menu an action sits in.
QList<QAction *> siblingsOf(QAction *action)
{
    if (!action)
        return {};
    if (auto *menu = qobject_cast<QMenu *>(action->parent()))
        return menu->actions();
    return {action};
}

QString codeOf(const QAction *action)
{
    return action ? action->data().toString() : QString();
}

// Ticks the direction chosen among the sender's menu items and unticks the other one.
void checkDirection(QAction *sender, QLatin1String chosen, QLatin1String other)
{
    for (QAction *a : siblingsOf(sender)) {
        if (codeOf(a) == chosen)
            a->setChecked(true);
        else if (codeOf(a) == other)
            a->setChecked(false);
    }
}

} // namespace

DownloadedViewCtrl::SortDescriptor DownloadedViewCtrl::getSortDescriptor()
{
    UserDefaults &defaults = UserDefaults::standard();
    const QString key = defaults.stringForKey(SortByKey);
    const KeyName *found = nullptr;
    for (const KeyName &k : KeyNames)
        if (isStored(key, k.code))
            found = &k;
    if (!found) {
        defaults.setString(SortByKey, QStringLiteral("Date"));
        defaults.setString(SortByOrder, QStringLiteral("Descending"));
        return SortDescriptor{SortKey::Date, false};
    }
    return SortDescriptor{found->key, isStored(defaults.stringForKey(SortByOrder), "Ascending")};
}

void DownloadedViewCtrl::storeArrayWithDefault(QList<DownloadNode::Ptr> &nodes)
{
    const SortDescriptor d = getSortDescriptor();
    if (nodes.size() < 2)
        return;
    // Each key is read once per node, then the nodes are sorted on the copies; equal keys keep
    // the list's order (new items first).
    auto sortOn = [&nodes, &d](auto keyOf, auto less) {
        using Key = decltype(keyOf(nodes.constFirst()));
        std::vector<std::pair<Key, qsizetype>> keyed;
        keyed.reserve(size_t(nodes.size()));
        for (qsizetype i = 0; i < nodes.size(); ++i)
            keyed.emplace_back(keyOf(nodes[i]), i);
        if (d.ascending)
            std::stable_sort(keyed.begin(), keyed.end(),
                             [&less](const auto &a, const auto &b) { return less(a.first, b.first); });
        else
            std::stable_sort(keyed.begin(), keyed.end(),
                             [&less](const auto &a, const auto &b) { return less(b.first, a.first); });
        QList<DownloadNode::Ptr> sorted;
        sorted.reserve(nodes.size());
        for (const auto &k : keyed)
            sorted.append(nodes[k.second]);
        nodes = std::move(sorted);
    };
    auto lessString = [](const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseSensitive) < 0; };
    auto lessNumber = [](qint64 a, qint64 b) { return a < b; };
    switch (d.key) {
    case SortKey::Name:
        sortOn([](const DownloadNode::Ptr &n) { return n->fileName(); }, lessString);
        break;
    case SortKey::Date:
        // A missing date sorts as the earliest.
        sortOn(
            [](const DownloadNode::Ptr &n) {
                const QDateTime date = n->addDate();
                return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
            },
            lessNumber);
        break;
    case SortKey::Length:
        sortOn([](const DownloadNode::Ptr &n) { return n->time(); }, lessNumber);
        break;
    case SortKey::Size:
        sortOn([](const DownloadNode::Ptr &n) { return n->videoSize(); }, lessNumber);
        break;
    case SortKey::Site:
        sortOn([](const DownloadNode::Ptr &n) { return hostOf(n->pageURL()); }, lessString);
        break;
    }
}

void DownloadedViewCtrl::setSortKey(const QString &key, QAction *sender, const char *statisticsKey)
{
    if (statisticsKey)
        QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Rmenu"), QString::fromLatin1(statisticsKey));
    beforeSortSelection();
    clearAndSetItemStatus(sender);
    UserDefaults::standard().setString(SortByKey, key);
    finishSortAction();
}

void DownloadedViewCtrl::sortByName(QAction *sender)
{
    setSortKey(QStringLiteral("Name"), sender, "Id_Rmenu_Sortby_Name");
}

void DownloadedViewCtrl::sortByDate(QAction *sender)
{
    setSortKey(QStringLiteral("Date"), sender, "Id_Rmenu_Sortby_Date");
}

void DownloadedViewCtrl::sortByLength(QAction *sender)
{
    setSortKey(QStringLiteral("Length"), sender, "Id_Rmenu_Sortby_Length");
}

void DownloadedViewCtrl::sortBySize(QAction *sender)
{
    setSortKey(QStringLiteral("Size"), sender, "Id_Rmenu_Sortby_Size");
}

void DownloadedViewCtrl::sortBySite(QAction *sender)
{
    setSortKey(QStringLiteral("Site"), sender, nullptr);
}

void DownloadedViewCtrl::sortByFormat(QAction *sender)
{
    setSortKey(QStringLiteral("Format"), sender, nullptr);
}

void DownloadedViewCtrl::sortByResolution(QAction *sender)
{
    setSortKey(QStringLiteral("Resolution"), sender, nullptr);
}

void DownloadedViewCtrl::beforeSortSelection()
{
    beforeSortSelectSet_.clear();
    for (const DownloadNode::Ptr &node : selectedNodes())
        if (const auto item = node->downloadItem())
            beforeSortSelectSet_.insert(item->filePath());
}

void DownloadedViewCtrl::clearAndSetItemStatus(QAction *sender)
{
    bool directionChecked = false;
    for (QAction *a : siblingsOf(sender)) {
        const QString code = codeOf(a);
        const bool direction = code == QLatin1String("Ascending") || code == QLatin1String("Descending");
        if (direction)
            directionChecked = directionChecked || a->isChecked();
        else if (a->isChecked())
            a->setChecked(false);
    }
    if (sender)
        sender->setChecked(directionChecked);
}

void DownloadedViewCtrl::finishSortAction()
{
    detachRowViews();
    refreshDownloadedTableView();
    QList<int> rows;
    for (int i = 0; i < _displayNodeArr.size(); ++i)
        if (const auto item = _displayNodeArr[i]->downloadItem(); item && beforeSortSelectSet_.contains(item->filePath()))
            rows << i;
    selectRows(rows);
    changeMediaListForPlayer();
}

void DownloadedViewCtrl::Ascending(QAction *sender)
{
    checkDirection(sender, QLatin1String("Ascending"), QLatin1String("Descending"));
    if (sender)
        sort(qobject_cast<QMenu *>(sender->parent()));
    UserDefaults::standard().setString(SortByOrder, QStringLiteral("Ascending"));
    refreshDownloadedTableView();
}

void DownloadedViewCtrl::Descending(QAction *sender)
{
    checkDirection(sender, QLatin1String("Descending"), QLatin1String("Ascending"));
    if (sender)
        sort(qobject_cast<QMenu *>(sender->parent()));
    UserDefaults::standard().setString(SortByOrder, QStringLiteral("Descending"));
    refreshDownloadedTableView();
}

void DownloadedViewCtrl::sort(QMenu *menu)
{
    if (!menu)
        return;
    using Action = void (DownloadedViewCtrl::*)(QAction *);
    const QList<QPair<QString, Action>> order = {
        {QStringLiteral("Name"), &DownloadedViewCtrl::sortByName},
        {QStringLiteral("Date"), &DownloadedViewCtrl::sortByDate},
        {QStringLiteral("Length"), &DownloadedViewCtrl::sortByLength},
        {QStringLiteral("Size"), &DownloadedViewCtrl::sortBySize},
        {QStringLiteral("Format"), &DownloadedViewCtrl::sortByFormat},
        {QStringLiteral("Resolution"), &DownloadedViewCtrl::sortByResolution},
        {QStringLiteral("Site"), &DownloadedViewCtrl::sortBySite}};
    QAction *chosen = nullptr;
    Action run = &DownloadedViewCtrl::sortByDate;
    for (const auto &[code, action] : order) {
        for (QAction *a : menu->actions())
            if (codeOf(a) == code && a->isChecked()) {
                chosen = a;
                run = action;
                break;
            }
        if (chosen)
            break;
    }
    if (!chosen)
        for (QAction *a : menu->actions())
            if (codeOf(a) == QLatin1String("Date"))
                chosen = a;
    // After the direction has been stored.
    QPointer<QAction> target = chosen;
    QTimer::singleShot(0, this, [this, target, run] { (this->*run)(target); });
}

void DownloadedViewCtrl::validateSortMenu()
{
    const QString stored = UserDefaults::standard().stringForKey(SortByKey);
    const SortDescriptor d = getSortDescriptor(); // resets a key outside the menu
    auto byItem = [&d](auto keyOf) {
        return [keyOf, asc = d.ascending](const DownloadNode::Ptr &a, const DownloadNode::Ptr &b) {
            const auto ia = a->downloadItem();
            const auto ib = b->downloadItem();
            if (!ia || !ib)
                return bool(ia) && !ib;
            return asc ? keyOf(*ia) < keyOf(*ib) : keyOf(*ib) < keyOf(*ia);
        };
    };
    auto sortBoth = [this](auto less) {
        std::stable_sort(_displayNodeArr.begin(), _displayNodeArr.end(), less);
        std::stable_sort(_downloadedNodeArr.begin(), _downloadedNodeArr.end(), less);
    };
    auto dateKey = [](const DownloadedItem &i) { return i.addDate(); };
    if (isStored(stored, "Name"))
        sortBoth(byItem([](const DownloadedItem &i) { return i.fileName(); }));
    else if (isStored(stored, "Date"))
        sortBoth(byItem(dateKey));
    else if (isStored(stored, "Length"))
        sortBoth(byItem([](const DownloadedItem &i) { return i.time(); }));
    else if (isStored(stored, "Size"))
        sortBoth(byItem([](const DownloadedItem &i) { return i.videoSize(); }));
    else if (isStored(stored, "Format"))
        sortBoth(byItem([](const DownloadedItem &i) { return i.fileSuffix(); }));
    else if (isStored(stored, "Resolution"))
        sortBoth(byItem([](const DownloadedItem &i) { return i.resolution(); }));
    else if (isStored(stored, "Site")) {
        // Nodes without a host go after those with one.
        const bool asc = d.ascending;
        sortBoth([asc](const DownloadNode::Ptr &a, const DownloadNode::Ptr &b) {
            const QString ha = hostOf(a->pageURL());
            const QString hb = hostOf(b->pageURL());
            if (ha.isEmpty() || hb.isEmpty())
                return !ha.isEmpty() && hb.isEmpty();
            const int c = QString::compare(ha, hb, Qt::CaseSensitive);
            return asc ? c < 0 : c > 0;
        });
    } else {
        std::stable_sort(_downloadedNodeArr.begin(), _downloadedNodeArr.end(),
                         [](const DownloadNode::Ptr &a, const DownloadNode::Ptr &b) { return a->addDate() > b->addDate(); });
    }
}

void DownloadedViewCtrl::refreshDownloadedTableView(const QList<DownloadNode::Ptr> &nodes)
{
    _displayNodeArr.clear();
    for (const DownloadNode::Ptr &node : nodes)
        if (node && !node->parentNode())
            _displayNodeArr.append(node);
    detachRowViews();
    reloadTable();
}

void DownloadedViewCtrl::setSearchFeild(QLineEdit *field)
{
    if (searchFeild_ == field)
        return;
    if (searchFeild_)
        disconnect(searchFeild_, nullptr, this, nullptr);
    searchFeild_ = field;
    if (field)
        connect(field, &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
}

void DownloadedViewCtrl::controlTextDidChange()
{
    refreshDownloadedTableView();
}
