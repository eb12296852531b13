#pragma once

#include "PresetFixtures.h"

#include "converter/ConverterViewCtrl.h"
#include "converter/EncFormatMgr.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"

#include <QTemporaryDir>

#include <memory>

// A Convert page over the sheet's small catalogue, writing into dir/Converted, with a thumbnail
// service that starts no tool.
struct ConverterPageRig
{
    QTemporaryDir dir;
    QString out;
    std::unique_ptr<EncFormatMgr> catalogue;
    std::unique_ptr<ThumbnailServerWraper> thumbnails;
    std::unique_ptr<ConverterViewCtrl> page;

    bool make()
    {
        const QString file = PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), PresetFixtures::sheetCatalogue());
        catalogue = EncFormatMgr::initWithFile(file, dir.filePath(QStringLiteral("CustomFormat.pro")));
        if (!catalogue)
            return false;
        out = dir.filePath(QStringLiteral("Converted"));
        UserDefaults::standard().setString(QStringLiteral("convertedPath"), out);
        thumbnails = std::make_unique<ThumbnailServerWraper>(false);
        page = std::make_unique<ConverterViewCtrl>(thumbnails.get(), catalogue.get());
        return true;
    }
};
