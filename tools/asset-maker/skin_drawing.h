// Small drawing helpers the two window skins share.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

// A white card with a thin frame and a faint drop shadow, `r` the inside of the frame.
void DrawCard(QPainter &p, const QRectF &r, qreal radius = 6);
// A caption in the skins' style (upper case, small, bold), left of `r`'s baseline area.
void DrawCaption(QPainter &p, const QRectF &r, const QString &text, int flags, int pixelHeight = 11);
// The product wordmark: name and the line under it.
void DrawWordmark(QPainter &p, QPointF at, qreal scale);
