#include "skin/model/TSeSkinObject.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QTextOption>

#include "skin/model/HueShift.h"
#include "skin/model/PropertyAccess.h"
#include "skin/model/SkinHost.h"

namespace skin {

namespace {

struct Alignment {
    Qt::Alignment vertical;
    int horizontal; // 0 left, 1 centre, 2 right
};

Alignment alignmentOf(TSeTextAlign a) {
    const int i = int(a);
    const Qt::Alignment v[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return {v[i / 3], i % 3};
}

Qt::Alignment horizontalFlag(int h) {
    return h == 0 ? Qt::AlignLeft : h == 1 ? Qt::AlignHCenter : Qt::AlignRight;
}

} // namespace

TSeSkinObject::TSeSkinObject() = default;
TSeSkinObject::~TSeSkinObject() = default;

std::unique_ptr<TSeSkinObject> TSeSkinObject::createEmpty() const {
    return std::make_unique<TSeSkinObject>();
}

void TSeSkinObject::assign(const TSeSkinObject& s) {
    name_ = s.name_;
    Align = s.Align;
    Color = s.Color;
    DrawIfOwner = s.DrawIfOwner;
    Font = s.Font;
    Kind = s.Kind;
    Masked = s.Masked;
    MarginLeft = s.MarginLeft;
    MarginRight = s.MarginRight;
    MarginTop = s.MarginTop;
    MarginBottom = s.MarginBottom;
    TextAlign = s.TextAlign;
    TextEffect = s.TextEffect;
    TextMarginLeft = s.TextMarginLeft;
    TextMarginRight = s.TextMarginRight;
    TextMarginTop = s.TextMarginTop;
    left_ = s.left_;
    top_ = s.top_;
    width_ = s.width_;
    height_ = s.height_;
    bitmaps_ = s.bitmaps_;
}

std::unique_ptr<TSeSkinObject> TSeSkinObject::clone() const {
    auto copy = createEmpty();
    copy->assign(*this);
    for (const auto& child : children_)
        copy->addChild(child->clone());
    return copy;
}

bool TSeSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    using namespace props;
    // Every subclass property passes through here first, and most of theirs ("Bitmap...",
    // "BorderTileStyle", "PressedBitmap...") start with a letter none of these does.
    constexpr std::string_view initials = "ACDFHKLMTW";
    if (name.empty() || initials.find(name[0]) == std::string_view::npos)
        return false;
    if (name == "Align")
        Align = toEnum<TSeAlign>(v, name);
    else if (name == "Color")
        Color = toColor(v, name);
    else if (name == "DrawIfOwner")
        DrawIfOwner = toBool(v, name);
    else if (name.starts_with("Font."))
        return Font.readProperty(name.substr(5), v, name);
    else if (name == "Kind")
        Kind = toEnum<TSeKind>(v, name);
    else if (name == "Masked")
        Masked = toBool(v, name);
    else if (name == "Left")
        left_ = toInt(v, name);
    else if (name == "Top")
        top_ = toInt(v, name);
    else if (name == "Height")
        height_ = std::max(0, toInt(v, name));
    else if (name == "Width")
        width_ = std::max(0, toInt(v, name));
    else if (name == "MarginLeft")
        MarginLeft = toInt(v, name);
    else if (name == "MarginRight")
        MarginRight = toInt(v, name);
    else if (name == "MarginTop")
        MarginTop = toInt(v, name);
    else if (name == "MarginBottom")
        MarginBottom = toInt(v, name);
    else if (name == "TextAlign")
        TextAlign = toEnum<TSeTextAlign>(v, name);
    else if (name == "TextEffect")
        TextEffect = toEnum<TSeTextEffect>(v, name);
    else if (name == "TextMarginLeft")
        TextMarginLeft = toInt(v, name);
    else if (name == "TextMarginRight")
        TextMarginRight = toInt(v, name);
    else if (name == "TextMarginTop")
        TextMarginTop = toInt(v, name);
    else
        return false;
    return true;
}

void TSeSkinObject::writeProperties(PropertyList& out) const {
    using namespace props;
    // Like a form component: only what differs from a new object, the font always.
    if (Align != TSeAlign::saNone)
        putEnum(out, "Align", Align);
    if (Color != clWhite)
        putColor(out, "Color", Color);
    if (DrawIfOwner)
        putBool(out, "DrawIfOwner", true);
    Font.writeProperties("Font", out);
    if (Kind != TSeKind::skNone)
        putEnum(out, "Kind", Kind);
    if (!Masked)
        putBool(out, "Masked", false);
    const std::pair<const char*, int> ints[] = {
        {"Left", left_},
        {"Top", top_},
        {"Height", height_},
        {"Width", width_},
        {"MarginLeft", MarginLeft},
        {"MarginRight", MarginRight},
        {"MarginTop", MarginTop},
        {"MarginBottom", MarginBottom},
    };
    for (const auto& [n, value] : ints) {
        if (value != 0)
            putInt(out, n, value);
    }
    if (TextAlign != TSeTextAlign::taLeft)
        putEnum(out, "TextAlign", TextAlign);
    if (TextEffect != TSeTextEffect::teNone)
        putEnum(out, "TextEffect", TextEffect);
    if (TextMarginLeft != 0)
        putInt(out, "TextMarginLeft", TextMarginLeft);
    if (TextMarginRight != 0)
        putInt(out, "TextMarginRight", TextMarginRight);
    if (TextMarginTop != 0)
        putInt(out, "TextMarginTop", TextMarginTop);
}

void TSeSkinObject::setStoredBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

void TSeSkinObject::setBounds(int left, int top, int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    oldWidth_ = width_;
    oldHeight_ = height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    layoutChildren();
}

void TSeSkinObject::layoutChildren() {
    int l = left_, t = top_, r = left_ + width_, b = top_ + height_;
    auto visibleWith = [](const auto& c, TSeAlign a) { return c->visible_ && c->Align == a; };

    for (auto& c : children_) {
        if (visibleWith(c, TSeAlign::saMostTop)) {
            c->setBounds(l, t, r - l, c->height_);
            t += c->height_;
        } else if (visibleWith(c, TSeAlign::saMostBottom)) {
            c->setBounds(l, b - c->height_, r - l, c->height_);
            b -= c->height_;
        }
    }
    for (auto& c : children_) {
        if (visibleWith(c, TSeAlign::saMostLeft)) {
            c->setBounds(l, t, c->width_, b - t);
            l += c->width_;
        } else if (visibleWith(c, TSeAlign::saMostRight)) {
            c->setBounds(r - c->width_, t, c->width_, b - t);
            r -= c->width_;
        }
    }
    for (auto& c : children_) {
        if (visibleWith(c, TSeAlign::saTop)) {
            c->setBounds(l, t, r - l, c->height_);
            t += c->height_;
        } else if (visibleWith(c, TSeAlign::saBottom)) {
            c->setBounds(l, b - c->height_, r - l, c->height_);
            b -= c->height_;
        }
    }
    for (auto& c : children_) {
        if (visibleWith(c, TSeAlign::saLeft)) {
            c->setBounds(l, t, c->width_, b - t);
            l += c->width_;
        } else if (visibleWith(c, TSeAlign::saRight)) {
            c->setBounds(r - c->width_, t, c->width_, b - t);
            r -= c->width_;
        }
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        auto& c = *it;
        if (visibleWith(c, TSeAlign::saText)) {
            const int w = c->textWidth(c->text_) + c->TextMarginLeft + c->TextMarginRight;
            c->setBounds(c->left_, c->top_, w, c->height_);
        }
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        auto& c = *it;
        if (visibleWith(c, TSeAlign::saCenter)) {
            c->setBounds(l + (r - l - c->width_) / 2, t + (b - t - c->height_) / 2, c->width_,
                         c->height_);
        }
    }
    for (auto& c : children_) {
        if (visibleWith(c, TSeAlign::saClient))
            c->setBounds(l, t, r - l, b - t);
    }
    // Anchored children move with the parent's far edges. A parent that had no size yet gives
    // no reference, so nothing moves then.
    const int dx = oldWidth_ > 0 ? width_ - oldWidth_ : 0;
    const int dy = oldHeight_ > 0 ? height_ - oldHeight_ : 0;
    for (auto& c : children_) {
        if (c->Align == TSeAlign::saTopRight) {
            c->left_ += dx;
        } else if (c->Align == TSeAlign::saBottomLeft) {
            c->top_ += dy;
        } else if (c->Align == TSeAlign::saBottomRight) {
            c->left_ += dx;
            c->top_ += dy;
        }
    }
    // Consumed: laying out again without a size change must not move them twice.
    oldWidth_ = width_;
    oldHeight_ = height_;
}

TSeSkinObject& TSeSkinObject::addChild(std::unique_ptr<TSeSkinObject> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return *children_.back();
}

TSeSkinObject* TSeSkinObject::findObject(std::string_view name) {
    if (equalsIgnoreCase(name_, name))
        return this;
    for (auto& c : children_) {
        if (auto* found = c->findObject(name))
            return found;
    }
    return nullptr;
}

TSeSkinObject* TSeSkinObject::findObjectByKind(TSeKind kind) {
    if (Kind == kind)
        return this;
    for (auto& c : children_) {
        if (auto* found = c->findObjectByKind(kind))
            return found;
    }
    return nullptr;
}

TSeSkinObject* TSeSkinObject::objectAtPoint(QPoint p) {
    if (!visible_ || Kind == TSeKind::skTranparent || !boundsRect().contains(p))
        return nullptr;
    TSeSkinObject* result = nullptr;
    for (auto& c : children_) {
        if (auto* hit = c->objectAtPoint(p))
            result = hit;
    }
    return result ? result : this;
}

void TSeSkinObject::forEachInTree(const std::function<void(TSeSkinObject&)>& fn) {
    fn(*this);
    for (auto& c : children_)
        c->forEachInTree(fn);
}

void TSeSkinObject::setVisible(bool v) {
    if (visible_ == v)
        return;
    if (!v)
        invalidate();
    visible_ = v;
    if (v)
        invalidate();
}

void TSeSkinObject::setEnabled(bool v) {
    if (enabled_ != v) {
        enabled_ = v;
        invalidate();
    }
}

void TSeSkinObject::setActive(bool v) {
    active_ = v;
    for (auto& c : children_)
        c->setActive(v);
}

void TSeSkinObject::setState(std::uint8_t s) {
    state_ = s;
    setStateOnChildren(s);
}

void TSeSkinObject::setStateOnChildren(std::uint8_t s) {
    for (auto& c : children_)
        c->setState(s);
}

void TSeSkinObject::setText(const QString& t) {
    if (text_ != t) {
        text_ = t;
        invalidate();
    }
}

void TSeSkinObject::setRightText(const QString& t) {
    if (rightText_ != t) {
        rightText_ = t;
        invalidate();
    }
}

void TSeSkinObject::bindTo(SkinHost* host) {
    host_ = host;
    rightToLeft_ = host && host->skinRightToLeft();
    for (auto& c : children_)
        c->bindTo(host);
}

void TSeSkinObject::setBitmaps(const BitmapList* list) {
    bitmaps_ = list;
    for (auto& c : children_)
        c->setBitmaps(list);
}

void TSeSkinObject::afterLoad() {
    for (auto& c : children_)
        c->afterLoad();
}

void TSeSkinObject::setCharset(int charset) {
    Font.Charset = charset;
    for (auto& c : children_)
        c->setCharset(charset);
}

TSeFont TSeSkinObject::GetFont() const {
    return Font;
}
TColor TSeSkinObject::currentColor() const {
    return Color;
}

void TSeSkinObject::draw(QPainter& painter) {
    if (!hasDrawableSize())
        return;
    if (!hasChildren() || DrawIfOwner)
        drawFace(painter, currentColor(), GetFont());
    drawChildren(painter);
}

void TSeSkinObject::drawFace(QPainter& painter, TColor fill, const TSeFont& font) {
    if (fill != clNone)
        painter.fillRect(boundsRect(), toQColor(fill));
    drawText(painter, font);
}

void TSeSkinObject::drawChildren(QPainter& painter) {
    for (auto& c : children_) {
        if (c->hasDrawableSize())
            c->draw(painter);
    }
}

int TSeSkinObject::textWidth(const QString& text) const {
    if (text.isEmpty() || !QGuiApplication::instance())
        return 0;
    return QFontMetrics(GetFont().toQFont()).horizontalAdvance(text);
}

void TSeSkinObject::drawText(QPainter& painter, const TSeFont& font) {
    const QColor fontColor = enabled_ ? font.color() : QColor(0x80, 0x80, 0x80);
    if (text_ == QLatin1String("-")) {
        painter.fillRect(QRect(left_ + 3, top_ + height_ / 2, width_ - 6, 1), fontColor);
        return;
    }
    if (text_.isEmpty() && rightText_.isEmpty())
        return;
    const QRect textRect(QPoint(left_ + TextMarginLeft, top_ + TextMarginTop),
                         QPoint(left_ + width_ - TextMarginRight - 1, top_ + height_ - 1));
    const QFont qfont = font.toQFont();
    painter.save();
    painter.setFont(qfont);
    const QFontMetrics metrics(qfont);
    const Alignment a = alignmentOf(TextAlign);
    int horizontal = a.horizontal;
    if (rightToLeft_)
        horizontal = 2 - horizontal;

    auto paint = [&](const QString& s, int h) {
        QTextOption option(a.vertical | horizontalFlag(h));
        option.setWrapMode(QTextOption::NoWrap);
        if (rightToLeft_)
            option.setTextDirection(Qt::RightToLeft);
        if (TextEffect == TSeTextEffect::teShadow) {
            painter.setPen(Qt::black);
            painter.drawText(QRectF(textRect.translated(1, 1)), s, option);
        }
        painter.setPen(fontColor);
        painter.drawText(QRectF(textRect), s, option);
    };

    if (!text_.isEmpty()) {
        QString shown = text_;
        const int room = width_ - TextMarginLeft - TextMarginRight;
        if (Kind == TSeKind::skTitle && metrics.horizontalAdvance(shown) > room) {
            const QString dots = QStringLiteral("...");
            int n = int(shown.size());
            while (n > 0 && metrics.horizontalAdvance(shown.left(n) + dots) > room)
                --n;
            shown = shown.left(n) + dots;
        }
        paint(shown, horizontal);
    }
    if (!rightText_.isEmpty())
        paint(rightText_, 2 - horizontal);
    painter.restore();
}

void TSeSkinObject::drawWithBitmap(QPainter& painter, const TSeBitmapLink& link,
                                   const paint::NinePart& how) {
    if (!hasDrawableSize() || !link.usable())
        return;
    paint::drawNinePart(painter, link, boundsRect(), how);
    if (!hasChildren() || DrawIfOwner)
        drawText(painter, GetFont());
    layoutChildren();
    drawChildren(painter);
}

QRegion TSeSkinObject::bitmapRegion(const TSeBitmapLink& link, const paint::NinePart& how) const {
    if (width_ <= 0 || height_ <= 0 || !link.usable())
        return {};
    QImage canvas(width_, height_, QImage::Format_RGB32);
    canvas.fill(QColor(0x7F, 0x00, 0x7F));
    {
        QPainter p(&canvas);
        paint::drawNinePart(p, link, QRect(0, 0, width_, height_), how);
    }
    // One region per row, then merged pairwise: unions of similar sizes stay cheap.
    std::vector<QRegion> rows;
    std::vector<QRect> runs;
    for (int y = 0; y < height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        runs.clear();
        int x = 0;
        while (x < width_) {
            while (x < width_ && isKeyPixel(line[x]))
                ++x;
            const int start = x;
            while (x < width_ && !isKeyPixel(line[x]))
                ++x;
            if (x > start)
                runs.emplace_back(left_ + start, top_ + y, x - start, 1);
        }
        if (!runs.empty()) {
            QRegion row;
            row.setRects(runs.data(), int(runs.size()));
            rows.push_back(row);
        }
    }
    while (rows.size() > 1) {
        std::vector<QRegion> merged;
        for (std::size_t i = 0; i + 1 < rows.size(); i += 2)
            merged.push_back(rows[i].united(rows[i + 1]));
        if (rows.size() % 2)
            merged.push_back(rows.back());
        rows.swap(merged);
    }
    return rows.empty() ? QRegion() : rows.front();
}

QRegion TSeSkinObject::objectRegion() {
    return QRegion(boundsRect());
}

QRegion TSeSkinObject::region() {
    if (width_ <= 0 || height_ <= 0)
        return {};
    if (!hasChildren() || DrawIfOwner || !Masked)
        return objectRegion();
    QRegion r;
    for (auto& c : children_) {
        if (c->visible_)
            r += c->region();
    }
    return r;
}

void shiftColorHue(TColor& c, int delta) {
    if (c == clNone)
        return;
    const TColor v = resolveColor(c);
    const Rgb out =
        skin::shiftHue(Rgb{int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)}, delta);
    c = rgbColor(out.r, out.g, out.b);
}

void TSeSkinObject::shiftHue(int delta) {
    shiftColorHue(Color, delta);
    shiftColorHue(Font.Color, delta);
    for (auto& c : children_)
        c->shiftHue(delta);
}

void TSeSkinObject::mouseEnter(Qt::MouseButtons) {}
void TSeSkinObject::mouseLeave() {}
void TSeSkinObject::mouseDown(Qt::MouseButton, int, int) {}
void TSeSkinObject::mouseMove(Qt::MouseButtons, int, int) {}
void TSeSkinObject::mouseUp(Qt::MouseButton, int, int) {}
void TSeSkinObject::dblClick(Qt::MouseButton, int, int) {}

void TSeSkinObject::invalidate() {
    if (visible_ && host_)
        host_->skinInvalidate(*this);
}

QObject* TSeSkinObject::frame() const {
    return host_ ? host_->skinFrame() : nullptr;
}

} // namespace skin
