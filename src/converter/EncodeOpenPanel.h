#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;

// Asked before a chosen subtitle file is taken.
class EncodeOpenPanelDelegate
{
public:
    virtual ~EncodeOpenPanelDelegate() = default;
    virtual bool shouldLoadSubtitleWithPath(const QString &path, const QString &encoding) = 0;
};

// The subtitle open panel: one file, with the character set to read it in chosen beside it.
class EncodeOpenPanel : public QFileDialog
{
    Q_OBJECT
public:
    // The shared panel, made on first use.
    static EncodeOpenPanel *encodeOpenPanel();
    explicit EncodeOpenPanel(QWidget *parent = nullptr);

    // Empty folder: the remembered subtitle folder when it still exists, else the Movies folder.
    // Empty types: the subtitle extensions the framework reads. didEnd gets Accepted or Rejected.
    void beginSheetForDirectory(const QString &folder, const QString &file, const QStringList &types, QWidget *window,
                                std::function<void(int result)> didEnd = {});
    // Code of the chosen character set; "UTF-8" when nothing valid is chosen.
    QString selectedEncoding() const;
    EncodeOpenPanelDelegate *encodeDelegate() const { return m_encodeDelegate; }
    void setEncodeDelegate(EncodeOpenPanelDelegate *delegate) { m_encodeDelegate = delegate; }
    QComboBox *encodingPopUp() const { return m_popBtnEncodeList; }
    // The folder a panel opens in when none is given.
    static QString startFolder();

public slots:
    void accept() override;
    void clickSubtitleEncodingPopBtn(int) {}

private:
    QWidget *m_accessoryView = nullptr;
    QLabel *m_caption = nullptr;
    QComboBox *m_popBtnEncodeList = nullptr;
    EncodeOpenPanelDelegate *m_encodeDelegate = nullptr;
    std::function<void(int)> m_didEnd;
};
