#pragma once

#include "platform/Volumes.h"

#include <QDir>
#include <QTemporaryDir>

// Media for tests: temporary folders stand in for mounted volumes. "/" is not among them
// unless a test adds it, so a test decides exactly which roots are present.
class FakeVolumes final : public Volumes
{
public:
    // Makes a new folder that serves as a volume root; present at once unless `present` is false.
    QString addMedium(const QString& label, QChar kind = QLatin1Char('!'), bool present = true)
    {
        const QString root = m_dir.filePath(label);
        QDir().mkpath(root);
        VolumeInfo info;
        info.root = root;
        info.label = label;
        info.freeBytes = kind == QLatin1Char('@') ? 0 : 1 << 30;
        info.kind = kind;
        m_all.append(info);
        if (present)
            m_present.append(root);
        return root;
    }
    void setPresent(const QString& root, bool present)
    {
        m_present.removeAll(root);
        if (present)
            m_present.append(root);
    }

    QStringList roots() const override { return m_present; }
    QList<VolumeInfo> volumes() const override
    {
        QList<VolumeInfo> result;
        for (const VolumeInfo& info : m_all) {
            if (m_present.contains(info.root))
                result.append(info);
        }
        return result;
    }

private:
    QTemporaryDir m_dir;
    QList<VolumeInfo> m_all;
    QStringList m_present;
};
