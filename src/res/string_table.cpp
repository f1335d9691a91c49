// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/string_table.h"

#include <algorithm>
#include <iterator>

#include "res/string_ids.h"

namespace quorvel::res {
namespace {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
    {StringId::AboutMenuEntry, "Quorvelのﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {StringId::FileNotFound, "ファイルが見つかりません。"},
    {StringId::NotCompoundFile, "合成ファイルが見つかりません。"},
    {StringId::CannotOpenDocument, "OLE合成ドキュメントファイルを開けません。"},
    {StringId::NoPropertyInterface, "プロパティインタフェース取得エラーです。"},
    {StringId::NoSummary, "Summary情報がありません。"},
    {StringId::SummaryReadFailed, "Summary情報の読み取りは失敗しました。"},
    {StringId::SummaryWriteFailed, "Summary情報の書替えは失敗しました。"},
    {StringId::NoDocSummary, "ドキュメントSummary情報がありません。"},
    {StringId::DocSummaryReadFailed, "ドキュメントSummary情報の読み取りは失敗しました。"},
    {StringId::DocSummaryWriteFailed, "ドキュメントSummary情報の書替えは失敗しました。"},
    {StringId::BatchSummary,
     "選択したファイル数：%u\nプロパティを変更処理したファイル数：%"
     "u\nTimeStampを変更したファイル数：%u"},
    {StringId::ClearReadOnlyQuestion,
     "%sは読込み専用となっています。読込み専用属性を変更しますか?"
     "\n変更しない場合、プロパティの表示と変更ともできません。"},
    {StringId::NoPropertyTicked, "変更したいプロパティのを選択してください。"},
    {StringId::NoFileMarked, "変更したいファイルを選択してください。"},
    {StringId::ChangeableFieldTip,
     "内容を変更したい時、右側のチェックボックスをチェックしてください"},
    {StringId::DisplayOnlyFieldTip, "表示のみ、変更不可の内容"},
    {StringId::InvalidDateTip, "無効な日時の為、表示/変更とも不可"},
    {StringId::NoChangeTip, "Time StampがFile Propertyを変更する日時になる"},
    {StringId::MarkLinkedDisplayTip,
     "カーソルキーで左側のファイル名に移動する度に、該当ファイルのプロパティが表示される"},
    {StringId::SubDirSearchTip, "FolderをDrag&Dropする時Floder配下のﾌｧｲﾙをﾌｧｲﾙﾘｽﾄに設定"},
    {StringId::FileKindTip, "Drag&Dropでﾌｧｲﾙ選択時に配下ﾌｧｲﾙの種類を指定して下さい"},
    {StringId::NoOutputFileName, "保存するファイル名を指定して下さい。"},
    {StringId::NoReadableFile, "参照可能なファイルがありません。"},
    {StringId::CannotStartApplication, "関連つけられるApplication(%s)で%sを開けません。"},
    {StringId::SaveComplete, "保存は完了しました"},
    {StringId::ContinueAfterError,
     "  %sのプロパティの処理中に、次のエラーが発生しました。継続しますか\n  %s"},
    {StringId::NoAssociatedApplication,
     "関連付けられているApplicationがない為、ファイルのOpenはできません。"},
    {StringId::AddTip, "ファイル毎に指定日時に増分設定を累積加算する"},
    {StringId::SubtractTip, "ファイル毎に指定日時に増分設定を累積減算する"},
    {StringId::RandomTip, "指定日時を増分設定範囲内でランダムに加減する"},
    {StringId::RootFolderRefused, "フォルダを選択してください"},
    {StringId::FolderRunSummary, "選択した%u個の中に%u個を処理しました。"},
    {StringId::FolderTreeTip,
     "「Folder設定」ボタン又はDrug&Dropで変更対象のフォルダを設定してください。"},
    {StringId::FolderMarkAllTip, "全てのフォルダをマーク"},
    {StringId::FolderUnmarkAllTip, "全てのマーク取り消し"},
    {StringId::FolderClearTip, "フォルダリストクリア"},
    {StringId::FolderChangeTip, "マークフォルダの日時情報設定"},
    {StringId::FolderSubFoldersTip, "マークされたフォルダのサブフォルダも変更対象"},
    {StringId::NoFolderSelected, "表示したいフォルダを選択してください。"},
    {StringId::FolderPaneNotExported,
     "フォルダのタイムスタンプ情報をファイルに出力することができません。"},
    {StringId::AlsoTimeStampsTip, "Time Stampを以下の日時に変更する"},
    {StringId::TimeStampsOnlyTip, "File PropertyがなくてもTime Stampを以下の日時に変更する"},
    {StringId::KeepTimeStampsTip,
     "File Propertyを変更しても、FileのTime Stampが元のままに保持する"},
    {StringId::CustomValueRefused, "「%s」は%sの値として正しくありません。"},
    {StringId::CustomNameMissing, "プロパティの名前を入力してください。"},
    {StringId::CustomReadOnly, "「%s」は読み取り専用のため、変更も削除もできません。"},
    {StringId::CustomNotSelected, "削除するプロパティを一覧から選択してください。"},
    {StringId::PdfEncrypted, "暗号化されたPDFは書き替えられません。"},
    {StringId::PdfSigned, "署名されたPDFは書き替えられません。"},
    {StringId::PdfNotWritable,
     "PDFの相互参照が壊れているか、PDFの前に別のデータがあるため書き替えられません。"},
    {StringId::PdfFieldWithoutPlace, "PDFに置き場所のない項目は書き込まれませんでした。"},
};

}  // namespace

QString loadString(int id) {
    const auto* found =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                         [](const StringEntry& entry, int wanted) { return entry.id < wanted; });
    if (found == std::end(kStrings) || found->id != id) {
        return {};
    }
    return QString::fromUtf8(found->text);
}

QList<int> stringIds() {
    QList<int> ids;
    for (const StringEntry& entry : kStrings) {
        ids.append(entry.id);
    }
    return ids;
}

QString formatText(const QString& format, const QStringList& args) {
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const bool isPlaceholder = format[i] == u'%' && i + 1 < format.size() &&
                                   (format[i + 1] == u's' || format[i + 1] == u'u');
        if (isPlaceholder && next < args.size()) {
            result += args[next++];
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

QString formatString(int id, const QStringList& args) {
    return formatText(loadString(id), args);
}

}  // namespace quorvel::res
