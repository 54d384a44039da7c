#pragma once

#include <QLabel>
#include <QRawFont>

// A one-line bold label that keeps its size and weight in a bitmap font.
// Qt lists only the smallest strike of Wine's bitmap "MS Sans Serif" and does
// not embolden bitmaps. Given the font's file, the label draws its text from
// the strike whose characters are as high as asked (13 pixels at 10 points,
// 96 dpi); bold is made as Windows makes it: drawn twice, one pixel apart,
// each character one pixel wider.
class TBoldLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TBoldLabel(QWidget *parent = nullptr);

    // The file of the label's font family when it is a bitmap font; empty:
    // the font as Qt renders it.
    void SetBitmapFontFile(const QString &fileName);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void PickStrike();
    [[nodiscard]] bool UsesStrike() const;
    [[nodiscard]] bool Smears() const;
    [[nodiscard]] QFont SmearedFont() const;
    [[nodiscard]] int Extra() const { return Smears() ? 1 : 0; }
    [[nodiscard]] QMargins TextMargins() const;

    QString m_fontFile;
    QRawFont m_strike;
};
