#pragma once

#include "shell/ShellDialog.h"

class QLabel;
class QVUrlLabel;

// The About window: icon, name, version, company introduction, links and copyright, filled
// from Info.plist and the "AboutWindowCtrl" texts.
class AboutWindowCtrl : public ShellDialog
{
    Q_OBJECT
public:
    explicit AboutWindowCtrl(QWidget *parent = nullptr);

    QLabel *displayName() const { return m_displayName; }
    QLabel *displayVersion() const { return m_displayVersion; }
    QLabel *copyright() const { return m_copyright; }
    QVUrlLabel *homePage() const { return m_homePage; }
    QVUrlLabel *productPage() const { return m_productPage; }

private:
    QLabel *m_iconImageView;
    QLabel *m_displayName;
    QLabel *m_displayVersion;
    QLabel *m_learnMore;
    QLabel *m_companyInfo;
    QLabel *m_copyright;
    QVUrlLabel *m_homePage;
    QVUrlLabel *m_productPage;
};
