#include "net/TNMMSGServ.h"

#include "net/MessageFrame.h"

#include <QTcpSocket>

namespace {

class MessageConnection : public ServedConnection
{
public:
    MessageConnection(qintptr descriptor, const QHostAddress& peer, TNMMSGServ* server)
        : ServedConnection(descriptor, peer, server)
        , m_owner(server)
    {}

protected:
    void consume() override
    {
        m_touched = m_touched || socket()->bytesAvailable() > 0;
        while (!isAnswered()) {
            const qint64 need = m_step == Step::NameLength || m_step == Step::TextLength
                                    ? MessageFrame::LengthDigits
                                    : m_length;
            if (socket()->bytesAvailable() < need)
                return;
            const QByteArray part = socket()->read(need);
            switch (m_step) {
            case Step::NameLength:
            case Step::TextLength: {
                const auto length = MessageFrame::parseLength(part);
                if (!length) {
                    finish(End::Invalid);
                    return;
                }
                m_length = *length;
                m_step = m_step == Step::NameLength ? Step::Name : Step::Text;
                if (m_length == 0)
                    advance(QByteArray());
                break;
            }
            case Step::Name:
            case Step::Text:
                advance(part);
                break;
            }
        }
    }

    void ended(End reason) override
    {
        // A peer that went before its frame was whole still raises the event, with what was
        // missing as empty text; a time-out, a malformed frame or a silent peer raise nothing.
        if (reason == End::PeerClosed && m_touched && !m_delivered)
            deliver();
    }

private:
    enum class Step { NameLength, Name, TextLength, Text };

    void advance(const QByteArray& part)
    {
        if (m_step == Step::Name) {
            m_name = QString::fromUtf8(part);
            m_step = Step::TextLength;
            return;
        }
        m_text = QString::fromUtf8(part);
        answered();
        deliver();
    }

    void deliver()
    {
        m_delivered = true;
        emit m_owner->OnMSG(m_name, m_text, peerText());
    }

    TNMMSGServ* m_owner;
    Step m_step = Step::NameLength;
    qint64 m_length = 0;
    QString m_name;
    QString m_text;
    bool m_delivered = false;
    bool m_touched = false;
};

} // namespace

TNMMSGServ::~TNMMSGServ()
{
    // The connections raise this class's signal: they end before it goes.
    close();
}

ServedConnection* TNMMSGServ::makeConnection(qintptr descriptor, const QHostAddress& peer)
{
    return new MessageConnection(descriptor, peer, this);
}
