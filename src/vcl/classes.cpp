#include "vcl/classes.h"

#include "vcl/forms.h"

#include <QHash>

#include <algorithm>

namespace vcl {

// ---------------------------------------------------------------------------
// TValue

int TValue::toInt() const
{
    if (kind != Integer)
        throw EReadError(QStringLiteral("Invalid property value"));
    return int(integer);
}

const String &TValue::toText() const
{
    if (kind != Text)
        throw EReadError(QStringLiteral("Invalid property value"));
    return text;
}

const String &TValue::toIdent() const
{
    if (kind != Identifier)
        throw EReadError(QStringLiteral("Invalid property value"));
    return text;
}

// ---------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent *AOwner) : m_owner(AOwner)
{
    if (m_owner)
        m_owner->m_components.push_back(this);
}

TComponent::~TComponent()
{
    // Children were created after their parents, so destroying the newest
    // first never leaves a control pointing at a parent that is gone.
    while (!m_components.empty())
        delete m_components.back();
    if (m_owner) {
        auto &siblings = m_owner->m_components;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TComponent *TComponent::FindComponent(const String &name) const
{
    for (TComponent *component : m_components)
        if (component->Name.compare(name, Qt::CaseInsensitive) == 0)
            return component;
    return nullptr;
}

void TComponent::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Left") || name == QLatin1String("Top")) {
        value.toInt();  // a non-visual component's place on the designer's grid
        return;
    }
    unknownProperty(name);
}

void TComponent::SetEvent(const String &name, TNotifyEvent)
{
    unknownProperty(name);
}

void TComponent::InsertChild(TComponent *child)
{
    throw EReadError(QStringLiteral("%1 cannot hold %2").arg(Name, child->Name));
}

void TComponent::unknownProperty(const String &name) const
{
    throw EReadError(QStringLiteral("Error reading %1.%2: Property %2 does not exist").arg(Name, name));
}

void TComponent::fire(const TNotifyEvent &handler, TObject *sender)
{
    if (!handler)
        return;
    try {
        handler(sender);
    } catch (const Exception &exception) {
        Application->ShowException(exception);
    } catch (const std::exception &exception) {
        Application->ShowException(Exception(String::fromLocal8Bit(exception.what())));
    }
}

// ---------------------------------------------------------------------------
// Classes that descriptions may name

namespace {

QHash<String, TComponentFactory> &classRegistry()
{
    static QHash<String, TComponentFactory> registry;
    return registry;
}

} // namespace

void RegisterClass(const String &className, TComponentFactory factory)
{
    classRegistry().insert(className, std::move(factory));
}

// ---------------------------------------------------------------------------
// The description reader

namespace {

class Parser {
public:
    Parser(const String &text, const TPublishedNames &published)
        : m_text(text), m_published(published) {}

    void readRoot(TComponent *root, const String &rootClass)
    {
        expectWord(QStringLiteral("object"));
        root->Name = readIdentifier();
        expectChar(':');
        const String className = readIdentifier();
        if (className != rootClass)
            fail(QStringLiteral("the description is of %1, not %2").arg(className, rootClass));
        readBody(root, root);
        skipBlanks();
        if (m_pos != m_text.size())
            fail(QStringLiteral("text after the last 'end'"));
        for (TComponent *component : m_created)
            component->Loaded();
        root->Loaded();
    }

private:
    // Properties and nested objects up to the matching `end`.
    void readBody(TComponent *component, TComponent *root)
    {
        for (;;) {
            const String word = readIdentifier();
            if (word == QLatin1String("end"))
                return;
            if (word == QLatin1String("object")) {
                readChild(component, root);
                continue;
            }
            String name = word;
            while (peekChar('.')) {
                ++m_pos;
                name += QLatin1Char('.') + readIdentifier();
            }
            expectChar('=');
            const TValue value = readValue();
            if (name.startsWith(QLatin1String("On")) && value.kind == TValue::Identifier) {
                TNotifyEvent handler = m_published.findMethod(value.text);
                if (!handler)
                    fail(QStringLiteral("Method %1 not found").arg(value.text));
                component->SetEvent(name, std::move(handler));
            } else {
                component->SetProperty(name, value);
            }
        }
    }

    void readChild(TComponent *parent, TComponent *root)
    {
        const String name = readIdentifier();
        expectChar(':');
        const String className = readIdentifier();
        const auto factory = classRegistry().constFind(className);
        if (factory == classRegistry().constEnd())
            fail(QStringLiteral("Class %1 not found").arg(className));
        TComponent *child = (*factory)(root);
        child->Name = name;
        m_created.push_back(child);
        if (!m_published.bindField(name, child))
            fail(QStringLiteral("Field %1 not found").arg(name));
        parent->InsertChild(child);
        readBody(child, root);
    }

    TValue readValue()
    {
        skipBlanks();
        TValue value;
        if (m_pos >= m_text.size())
            fail(QStringLiteral("value expected"));
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            value.kind = TValue::Text;
            value.text = readText();
        } else if (c == QLatin1Char('-') || c.isDigit()) {
            value.kind = TValue::Integer;
            const qsizetype start = m_pos++;
            while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
                ++m_pos;
            bool ok = false;
            value.integer = m_text.mid(start, m_pos - start).toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("number expected"));
        } else if (c == QLatin1Char('[')) {
            value.kind = TValue::Set;
            ++m_pos;
            skipBlanks();
            if (!peekChar(']')) {
                do {
                    value.set << readIdentifier();
                } while (acceptChar(','));
            }
            expectChar(']');
        } else {
            value.kind = TValue::Identifier;
            value.text = readIdentifier();
        }
        return value;
    }

    // 'quoted' pieces ('' is a quote) and #nn characters, side by side.
    String readText()
    {
        String text;
        for (;;) {
            if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\'')) {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || m_text.at(m_pos) == QLatin1Char('\n'))
                        fail(QStringLiteral("unterminated text"));
                    const QChar q = m_text.at(m_pos++);
                    if (q != QLatin1Char('\''))
                        text += q;
                    else if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\''))
                        text += m_text.at(m_pos++);
                    else
                        break;
                }
            } else if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('#')) {
                const qsizetype start = ++m_pos;
                while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
                    ++m_pos;
                bool ok = false;
                const uint code = m_text.mid(start, m_pos - start).toUInt(&ok);
                if (!ok || code > 0xFFFF)
                    fail(QStringLiteral("character code expected"));
                text += QChar(char16_t(code));
            } else {
                return text;
            }
        }
    }

    String readIdentifier()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size()
               && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
            ++m_pos;
        if (m_pos == start)
            fail(QStringLiteral("name expected"));
        return m_text.mid(start, m_pos - start);
    }

    void expectWord(const String &word)
    {
        if (readIdentifier() != word)
            fail(QStringLiteral("'%1' expected").arg(word));
    }

    bool peekChar(char c)
    {
        skipBlanks();
        return m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(c);
    }

    bool acceptChar(char c)
    {
        if (!peekChar(c))
            return false;
        ++m_pos;
        return true;
    }

    void expectChar(char c)
    {
        if (!acceptChar(c))
            fail(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    [[noreturn]] void fail(const String &what) const
    {
        const int line = int(m_text.left(m_pos).count(QLatin1Char('\n'))) + 1;
        throw EReadError(QStringLiteral("Error reading form description, line %1: %2").arg(line).arg(what));
    }

    const String &m_text;
    const TPublishedNames &m_published;
    qsizetype m_pos = 0;
    std::vector<TComponent *> m_created;
};

} // namespace

void ReadComponentText(const String &text, TComponent *root, const String &rootClass,
                       const TPublishedNames &published)
{
    Parser(text, published).readRoot(root, rootClass);
}

} // namespace vcl
