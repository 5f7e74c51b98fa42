// Components, events and the form description reader.
//
// A form is described by a text resource: a tree of `object Name: TClass`
// blocks, each with `Property = value` lines. Reading it creates the
// components, owned by the form, sets their properties, and binds every
// `OnEvent = HandlerName` line to the form's handler of that name.
#pragma once

#include "vcl/sysutils.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace vcl {

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

// Raised when a form description cannot be found or read.
class EReadError : public Exception {
    using Exception::Exception;
};

// One property value from a description: a number, a quoted text, an
// identifier (an enumeration value, a handler's or a component's name) or a
// set such as [biSystemMenu, biMaximize].
struct TValue {
    enum Kind { Integer, Text, Identifier, Set };
    Kind kind = Integer;
    qint64 integer = 0;
    String text;   // Text and Identifier
    QStringList set;

    int toInt() const;            // throws EReadError unless Integer
    const String &toText() const; // throws EReadError unless Text
    const String &toIdent() const;// throws EReadError unless Identifier
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent *AOwner);
    ~TComponent() override;  // destroys the components it owns, last created first
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;

    String Name;
    TComponent *Owner() const { return m_owner; }
    const std::vector<TComponent *> &Components() const { return m_components; }
    TComponent *FindComponent(const String &name) const;

    // Sets one property read from a description. Unknown names and values
    // of the wrong kind raise EReadError, so a typo in a description fails
    // loudly instead of leaving a control half set up.
    virtual void SetProperty(const String &name, const TValue &value);
    // Binds an event named in a description (OnClick, OnChange, ...).
    virtual void SetEvent(const String &name, TNotifyEvent handler);
    // Makes `child` a child of this component in the description's tree.
    virtual void InsertChild(TComponent *child);
    // Called once every property of the description has been set.
    virtual void Loaded() {}

protected:
    [[noreturn]] void unknownProperty(const String &name) const;
    // Runs an event handler as the message dispatch does: an exception that
    // escapes it is shown in the error box, and the program goes on.
    void fire(const TNotifyEvent &handler, TObject *sender);

private:
    TComponent *m_owner;
    std::vector<TComponent *> m_components;
};

// Makes the component of a class named in a description, or throws.
using TComponentFactory = std::function<TComponent *(TComponent *owner)>;
void RegisterClass(const String &className, TComponentFactory factory);

// What a form class makes visible to its description: its component fields
// and its handlers, each by name.
struct TPublishedNames {
    std::function<bool(const String &name, TComponent *component)> bindField;
    std::function<TNotifyEvent(const String &name)> findMethod;
};

// Reads a description into `root`: creates the nested components owned by
// `root`, sets every property and binds every event. Throws EReadError when
// the text cannot be parsed or names an unknown class, property, handler
// or component.
void ReadComponentText(const String &text, TComponent *root, const String &rootClass,
                       const TPublishedNames &published);

} // namespace vcl
