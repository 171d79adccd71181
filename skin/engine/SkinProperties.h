#pragma once

// The skin properties every skinned control publishes, forwarded to the SkinClient the
// control holds as its member `skin_` (which stays the control's, so it is destroyed with
// the control's other members, before the widget). A control that needs more than the
// forwarding for one of them declares its own, which hides the one here.

#include "skin/engine/SkinClient.h"

namespace skin {

template <typename Control> class SkinProperties {
public:
    TSeSkinEngine* SkinEngine() const { return client().SkinEngine(); }
    void setSkinEngine(TSeSkinEngine* engine) { client().setSkinEngine(engine); }
    QString SkinObject() const { return client().SkinObject(); }
    void setSkinObject(const QString& name) { client().setSkinObject(name); }
    TSePerformance Performance() const { return client().Performance(); }
    void setPerformance(TSePerformance performance) { client().setPerformance(performance); }
    bool Transparent() const { return client().Transparent(); }
    void setTransparent(bool on) { client().setTransparent(on); }
    TSeBlending Blending() const { return client().Blending(); }
    void setBlending(const TSeBlending& blending) { client().setBlending(blending); }
    QString Version() const { return client().Version(); }
    bool isSkinned() const { return client().isSkinned(); }
    SkinClient& skinClient() { return client(); }

protected:
    SkinProperties() = default;
    ~SkinProperties() = default;

private:
    const SkinClient& client() const { return static_cast<const Control*>(this)->skin_; }
    SkinClient& client() { return static_cast<Control*>(this)->skin_; }
};

} // namespace skin
