#pragma once

#include "library/ImageView.h"

class MTPlayerImageViewDelegate
{
public:
    virtual ~MTPlayerImageViewDelegate() = default;
    virtual void mtMouseEnteredPlayerImageView() = 0;
    virtual void mtMouseExitedPlayerImageView() = 0;
};

// The player's control-bar area: an ImageView that tells its delegate when the pointer comes
// in and goes out, so the owner keeps the bar up while the pointer is over it.
class MTPlayerImageView : public ImageView
{
    Q_OBJECT
public:
    explicit MTPlayerImageView(QWidget *parent = nullptr);
    void setDelegate(MTPlayerImageViewDelegate *delegate) { m_delegate = delegate; }
    MTPlayerImageViewDelegate *delegate() const { return m_delegate; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    MTPlayerImageViewDelegate *m_delegate = nullptr;
};
