#include "res/string_table.h"

#include <algorithm>
#include <iterator>

namespace quorvel::res {
namespace {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
    {101, "Quorvelのﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {102, "ファイルが見つかりません。"},
    {103, "合成ファイルが見つかりません。"},
    {104, "OLE合成ドキュメントファイルを開けません。"},
    {105, "プロパティインタフェース取得エラーです。"},
    {106, "Summary情報がありません。"},
    {107, "Summary情報の読み取りは失敗しました。"},
    {108, "Summary情報の書替えは失敗しました。"},
    {109, "ドキュメントSummary情報がありません。"},
    {110, "ドキュメントSummary情報の読み取りは失敗しました。"},
    {111, "ドキュメントSummary情報の書替えは失敗しました。"},
    {112,
     "選択したファイル数：%u\nプロパティを変更処理したファイル数：%"
     "u\nTimeStampを変更したファイル数：%u"},
    {113,
     "%sは読込み専用となっています。読込み専用属性を変更しますか?"
     "\n変更しない場合、プロパティの表示と変更ともできません。"},
    {115, "変更したいプロパティのを選択してください。"},
    {116, "変更したいファイルを選択してください。"},
    {117, "内容を変更したい時、右側のチェックボックスをチェックしてください"},
    {118, "表示のみ、変更不可の内容"},
    {119, "無効な日時の為、表示/変更とも不可"},
    {120, "Time StampがFile Propertyを変更する日時になる"},
    {121, "カーソルキーで左側のファイル名に移動する度に、該当ファイルのプロパティが表示される"},
    {122, "FolderをDrag&Dropする時Floder配下のﾌｧｲﾙをﾌｧｲﾙﾘｽﾄに設定"},
    {123, "Drag&Dropでﾌｧｲﾙ選択時に配下ﾌｧｲﾙの種類を指定して下さい"},
    {124, "保存するファイル名を指定して下さい。"},
    {125, "参照可能なファイルがありません。"},
    {126, "関連つけられるApplication(%s)で%sを開けません。"},
    {127, "保存は完了しました"},
    {128, "  %sのプロパティの処理中に、次のエラーが発生しました。継続しますか\n  %s"},
    {129, "関連付けられているApplicationがない為、ファイルのOpenはできません。"},
    {130, "ファイル毎に指定日時に増分設定を累積加算する"},
    {131, "ファイル毎に指定日時に増分設定を累積減算する"},
    {132, "指定日時を増分設定範囲内でランダムに加減する"},
    {133, "フォルダを選択してください"},
    {134, "選択した%u個の中に%u個を処理しました。"},
    {135, "「Folder設定」ボタン又はDrug&Dropで変更対象のフォルダを設定してください。"},
    {136, "全てのフォルダをマーク"},
    {137, "全てのマーク取り消し"},
    {138, "フォルダリストクリア"},
    {139, "マークフォルダの日時情報設定"},
    {140, "マークされたフォルダのサブフォルダも変更対象"},
    {141, "表示したいフォルダを選択してください。"},
    {142, "フォルダのタイムスタンプ情報をファイルに出力することができません。"},
    {143, "Time Stampを以下の日時に変更する"},
    {144, "File PropertyがなくてもTime Stampを以下の日時に変更する"},
    {145, "File Propertyを変更しても、FileのTime Stampが元のままに保持する"},
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
