#pragma once

#include "downloads/SitesNodeManager.h"
#include "shell/ShellDialog.h"

class MGHoverButton;
class QLineEdit;

// Adds a favourite site: an address and an optional title. OK closes with 1 only for a valid
// address; a refused one shakes the window.
class AddNewSiteWinCtrl : public ShellDialog
{
    Q_OBJECT
public:
    AddNewSiteWinCtrl(const SiteNodePtr &node, QWidget *parent = nullptr);

    int runModal();
    void okButton();
    void cancelButton();
    bool isURLValid() const;

    QLineEdit *titleField() const { return m_titleTextField; }
    QLineEdit *urlField() const { return m_urlTextField; }
    MGHoverButton *okBtn() const { return m_okBtn; }

private:
    void controlTextDidChange();

    QLineEdit *m_titleTextField;
    QLineEdit *m_urlTextField;
    MGHoverButton *m_cancelBtn;
    MGHoverButton *m_okBtn;
    SiteNodePtr m_siteNode;
};
