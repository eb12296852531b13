#pragma once

#include <QImage>
#include <QWidget>

class PlaySliderBar;
class SliderKnob;

class PlaySliderBarDelegate
{
public:
    virtual ~PlaySliderBarDelegate() = default;
    virtual void playSliderBarDidStartDragging(PlaySliderBar *slider) {}
    virtual void playSliderBarDidChangeValue(PlaySliderBar *slider, float value) {}
    virtual void playSliderBarDidStopDragging(PlaySliderBar *slider) {}
};

// The seek slider: a track with a played section and a knob, valued from 0 to a maximum
// (seconds). A press on the knob or the track starts a drag; values go to the delegate through
// "PlaySliderBarDidChangeValueNotification" (object: the slider, "value": the new value).
class PlaySliderBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *DidChangeValueNotification = "PlaySliderBarDidChangeValueNotification";

    explicit PlaySliderBar(QWidget *parent = nullptr);
    ~PlaySliderBar() override;

    void setDelegate(PlaySliderBarDelegate *delegate) { m_delegate = delegate; }
    PlaySliderBarDelegate *delegate() const { return m_delegate; }

    void setValue(float value);
    float value() const { return m_fValue; }
    // 0 (and anything not above 0) is ignored: the maximum divides every position.
    void setMaxValue(float max);
    float maxValue() const { return m_fMaxValue; }

    QSizeF knobSize() const;
    void setKnobSize(const QSizeF &size);
    QImage knobImage() const;
    void setKnobImage(const QImage &image);
    QRectF knobFrame() const;

    void setBackGroundImage(const QImage &img) { m_imgBackGround = img; }
    QImage backGroundImage() const { return m_imgBackGround; }
    void setSliderImage(const QImage &img) { m_imgSlider = img; }
    QImage sliderImage() const { return m_imgSlider; }
    void setPlayedSectionImage(const QImage &img) { m_imgPlayedSection = img; }
    QImage playedSectionImage() const { return m_imgPlayedSection; }

    void setSliderRightDistance(float d) { m_fSliderBarRightDis = d; }
    float sliderRightDistance() const { return m_fSliderBarRightDis; }
    void setSliderLeftDistance(float d) { m_fSliderBarLeftDis = d; }
    float sliderLeftDistance() const { return m_fSliderBarLeftDis; }
    void setSliderBottomDistance(float d) { m_fSliderBarBottomDis = d; }
    float sliderBottomDistance() const { return m_fSliderBarBottomDis; }
    void setSliderHeight(float h) { m_fSliderBarHeight = h; }
    float sliderHeight() const { return m_fSliderBarHeight; }
    void setKnobBottomDistance(float d) { m_fKnobBottomDis = d; }
    float knobBottomDistance() const { return m_fKnobBottomDis; }

    // Whether the slider may seek to x; a subclass may refuse positions.
    virtual bool shouldSeekTo(qreal x) const { return true; }
    // Sets the value and tells the delegate at once, as a drag would.
    void performDragedToValue(float value);
    bool isDragging() const { return m_dragging; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    qreal trackWidth() const;
    QRectF trackRect() const;
    void postValue();
    void dragTo(qreal x);

    SliderKnob *m_viewSliderKnob = nullptr;
    QImage m_imgBackGround;
    QImage m_imgSlider;
    QImage m_imgPlayedSection;
    float m_fValue = 0;
    float m_fMaxValue = 100;
    float m_fSliderBarRightDis = 24;
    float m_fSliderBarLeftDis = 24;
    float m_fSliderBarBottomDis = 0;
    float m_fSliderBarHeight = 10;
    float m_fKnobBottomDis = 0;
    PlaySliderBarDelegate *m_delegate = nullptr;
    bool m_dragging = false;
    int m_beyond = 0;  // -1 / +1 while the pointer stays past the left / right end
};
