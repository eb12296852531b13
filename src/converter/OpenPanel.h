#pragma once

#include <QFileDialog>
#include <QStringList>

#include <functional>

class QComboBox;

// An open panel with a chooser of file types under the file list. Each chooser title carries
// its patterns from its first "*" on ("Video Files (*.mp4;*.MOV)", "All Files *.*"); the chosen
// one decides which files the list shows. Packages count as folders; files named VIDEO_TS
// (any case, any extension) never show.
class OpenPanel : public QFileDialog
{
    Q_OBJECT
public:
    static OpenPanel *openPanel(QWidget *parent = nullptr);
    explicit OpenPanel(QWidget *parent = nullptr);

    // Titles of the chooser; empty: no chooser, every file shows.
    void setTypes(const QStringList &types);
    QComboBox *typePopUp() const { return m_popBtnFileTypes; }
    // The extensions the chosen title allows (lower case); empty for "*.*" or no chooser.
    QStringList allowedFileTypes() const;

    // Runs modally in folder (empty: the Movies folder); Accepted or Rejected.
    int runModalForDirectory(const QString &folder, const QString &file, const QStringList &types);
    // Window-modal over window; didEnd hears the result.
    void beginSheetForDirectory(const QString &folder, const QString &file, const QStringList &types, QWidget *window,
                                std::function<void(int result)> didEnd);

    // Whether the list shows path, for the chooser title chosen (empty: none chosen).
    static bool shouldShowFilename(const QString &path, const QString &chosenTitle, bool isFolder);
    // The pattern part of a title split into lower-case extensions; empty for "*.*" or none.
    static QStringList extensionsOfTitle(const QString &title);
    // Whether the confirm button may be pressed for these selected paths.
    static bool canConfirm(const QStringList &selected, const QString &chosenTitle);

    void clickPopBtnType(int index);

public slots:
    // A folder opens; files are taken only when every one of them is admitted.
    void accept() override;

private:
    void applyFilter();
    QString chosenTitle() const;

    QWidget *m_view = nullptr;
    QComboBox *m_popBtnFileTypes = nullptr;
    std::function<void(int)> m_didEnd;
};
