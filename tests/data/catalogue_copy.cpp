// Scratch program folders with a copied catalogue.
#include "tests/data/catalogue_copy.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

CatalogueCopy::CatalogueCopy(const QString &sourceDir)
{
    QDir(m_dir.path()).mkpath("db");
    for (const char *name : {"vc_korva.mdb", "system.mdw"}) {
        const QString to = m_dir.filePath(QString("db/") + name);
        EXPECT_TRUE(QFile::copy(sourceDir + "/" + name, to))
            << "cannot copy " << name << " from " << sourceDir.toStdString();
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
}

QString CatalogueCopy::appDir() const { return m_dir.path() + "/"; }
QString CatalogueCopy::mdbPath() const { return m_dir.filePath("db/vc_korva.mdb"); }
QString CatalogueCopy::mdwPath() const { return m_dir.filePath("db/system.mdw"); }
