#include "converter/OpenPanel.h"

#include "platform/AppPaths.h"
#include "platform/MainBundle.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QSortFilterProxyModel>
#include <QFileSystemModel>

namespace {

QString patternPart(const QString &title)
{
    const qsizetype star = title.indexOf(QLatin1Char('*'));
    return star < 0 ? QString() : title.mid(star);
}

bool isVideoTs(const QString &path)
{
    return QFileInfo(path).completeBaseName().toUpper() == QLatin1String("VIDEO_TS")
           || QFileInfo(path).baseName().toUpper() == QLatin1String("VIDEO_TS");
}

// Hides what the chosen type refuses; folders stay so the user can walk into them.
class TypeFilter : public QSortFilterProxyModel
{
public:
    explicit TypeFilter(const OpenPanel *panel)
        : m_panel(panel)
    {
    }
    QString title;

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        auto *fs = qobject_cast<QFileSystemModel *>(sourceModel());
        if (!fs)
            return true;
        const QModelIndex index = fs->index(row, 0, parent);
        return OpenPanel::shouldShowFilename(fs->filePath(index), title, fs->isDir(index));
    }

private:
    const OpenPanel *m_panel;
};

} // namespace

OpenPanel *OpenPanel::openPanel(QWidget *parent) { return new OpenPanel(parent); }

OpenPanel::OpenPanel(QWidget *parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true); // the chooser row lives in Qt's own dialog
    setFileMode(QFileDialog::ExistingFiles);
    const QString load = MainBundle::localizedString("Load");
    setWindowTitle(load);
    setLabelText(QFileDialog::Accept, load);
    setLabelText(QFileDialog::FileName, load);
    setProxyModel(new TypeFilter(this));

    m_view = new QWidget(this);
    m_view->setFixedSize(300, 25);
    m_popBtnFileTypes = new QComboBox(m_view);
    m_popBtnFileTypes->setGeometry(0, 0, 300, 25);
    m_view->hide();
    connect(m_popBtnFileTypes, &QComboBox::activated, this, &OpenPanel::clickPopBtnType);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_view, grid->rowCount(), 0, 1, grid->columnCount());
    connect(this, &QFileDialog::currentChanged, this, [this] { applyFilter(); });
}

void OpenPanel::setTypes(const QStringList &types)
{
    m_popBtnFileTypes->clear();
    if (!types.isEmpty()) {
        m_popBtnFileTypes->addItems(types);
        m_popBtnFileTypes->setCurrentIndex(0);
        m_view->show();
    } else {
        m_view->hide();
    }
    applyFilter();
}

QString OpenPanel::chosenTitle() const
{
    return m_popBtnFileTypes->count() ? m_popBtnFileTypes->currentText() : QString();
}

QStringList OpenPanel::allowedFileTypes() const { return extensionsOfTitle(chosenTitle()); }

QStringList OpenPanel::extensionsOfTitle(const QString &title)
{
    const QString part = patternPart(title);
    if (part.isEmpty() || part.trimmed() == QLatin1String("*.*"))
        return {};
    QStringList out;
    for (QString e : part.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        e.remove(QStringLiteral("*."));
        e.remove(QLatin1Char(')'));
        e = e.trimmed().toLower();
        if (!e.isEmpty())
            out << e;
    }
    return out;
}

bool OpenPanel::shouldShowFilename(const QString &path, const QString &chosenTitle, bool isFolder)
{
    if (isFolder)
        return true;
    if (isVideoTs(path))
        return false;
    if (chosenTitle.isEmpty() || patternPart(chosenTitle).trimmed().startsWith(QLatin1String("*.*")))
        return true;
    const QStringList allowed = extensionsOfTitle(chosenTitle);
    return allowed.contains(QFileInfo(path).suffix().toLower());
}

bool OpenPanel::canConfirm(const QStringList &selected, const QString &chosenTitle)
{
    if (selected.isEmpty())
        return false;
    for (const QString &p : selected) {
        const QFileInfo fi(p);
        if (!fi.isFile() || !shouldShowFilename(p, chosenTitle, false))
            return false;
    }
    return true;
}

void OpenPanel::clickPopBtnType(int) { applyFilter(); }

void OpenPanel::accept()
{
    const QStringList selected = selectedFiles();
    const bool oneFolder = selected.size() == 1 && QFileInfo(selected.first()).isDir();
    if (oneFolder || canConfirm(selected, chosenTitle()))
        QFileDialog::accept();
}

void OpenPanel::applyFilter()
{
    if (auto *filter = dynamic_cast<TypeFilter *>(proxyModel())) {
        if (filter->title != chosenTitle()) {
            filter->title = chosenTitle();
            filter->invalidate();
        }
    }
}

int OpenPanel::runModalForDirectory(const QString &folder, const QString &file, const QStringList &types)
{
    setDirectory(folder.isEmpty() ? AppPaths::movies() : folder);
    if (!file.isEmpty())
        selectFile(file);
    setTypes(types);
    return exec();
}

void OpenPanel::beginSheetForDirectory(const QString &folder, const QString &file, const QStringList &types,
                                       QWidget *window, std::function<void(int)> didEnd)
{
    setDirectory(folder.isEmpty() ? AppPaths::movies() : folder);
    if (!file.isEmpty())
        selectFile(file);
    setTypes(types);
    if (window && window != parentWidget())
        setParent(window, windowFlags());
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    m_didEnd = std::move(didEnd);
    connect(this, &QDialog::finished, this, [this](int result) {
        if (auto done = std::exchange(m_didEnd, {}))
            done(result);
    }, Qt::SingleShotConnection);
    open();
}
