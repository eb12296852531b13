#pragma once

#include <QLabel>
#include <QUrl>

// A blue label that opens a web address when clicked: its own address, or the one its text
// spells when none is set. Only http and https addresses with a host are opened; anything
// else (file:, javascript:, a bare path) is refused, so a label never starts a program.
class UrlLabel : public QLabel
{
    Q_OBJECT
public:
    explicit UrlLabel(QWidget *parent = nullptr);

    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }

    // The address a click opens for this address and text; empty when it is refused.
    static QUrl addressToOpen(const QString &url, const QString &text);

signals:
    void opened(const QUrl &url);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_url;
};
