#pragma once

#include <QImage>
#include <QWidget>

class SoundSliderDelegate
{
public:
    virtual ~SoundSliderDelegate() = default;
    virtual void volumeDidChanged(float volume) = 0;
};

// The player's volume slider: a track, its filled part and a knob. The owner sets the value
// with setVolume(); a press or drag moves the knob and reports the new value through
// volumeDidChanged (percent of the way times the maximum) without changing volume().
class SoundSlider : public QWidget
{
    Q_OBJECT
public:
    explicit SoundSlider(QWidget *parent = nullptr);

    void setDelegate(SoundSliderDelegate *delegate) { m_delegate = delegate; }
    SoundSliderDelegate *delegate() const { return m_delegate; }

    void setVolume(float volume);
    float volume() const { return m_volume; }
    float percent() const { return m_percent; }
    void setMaxVolume(float max) { m_maxVolume = max; }
    float maxVolume() const { return m_maxVolume; }
    void setIsEnable(bool enable) { m_isEnable = enable; }
    bool isEnable() const { return m_isEnable; }

    void setSoundSliderImg(const QImage &img) { m_soundSliderImg = img; update(); }
    QImage soundSliderImg() const { return m_soundSliderImg; }
    void setSoundSliderBtn(const QImage &img) { m_soundSliderBtn = img; update(); }
    QImage soundSliderBtn() const { return m_soundSliderBtn; }
    void setSoundSliderBackImg(const QImage &img) { m_soundSliderBackImg = img; update(); }
    QImage soundSliderBackImg() const { return m_soundSliderBackImg; }

    // The knob's rectangle for the current value.
    QRectF knobRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSizeF knobSize() const;
    void report();

    SoundSliderDelegate *m_delegate = nullptr;
    QImage m_soundSliderImg;
    QImage m_soundSliderBtn;
    QImage m_soundSliderBackImg;
    float m_maxVolume = 1.0f;
    float m_volume = 0;
    float m_percent = 0;
    bool m_isDraged = false;
    bool m_isEnable = false;
};
