#pragma once
// Stored vouchers for the print tests: up to four entries of a cost transfer,
// each a debit line and a credit line, written straight into the store.
#include "store/vouchers.h"
#include "support/testdb.h"

#include <vector>

struct SampleEntry
{
    const char *debitName, *debitCode, *creditName, *creditCode, *text;
    const char *sawonName, *sawonCode, *buserName, *buserCode, *kubunName, *kubunCode;
    const char *projectName, *projectCode, *itemName, *itemCode;
    double amount;
};

inline const SampleEntry sampleEntries[] = {
    {"재공품", "10102004000", "원재료", "10102005000", "원재료 투입", "김철수", "S001", "생산부", "B01", "한빛상사",
     "C001", "신제품개발", "P01", "자재A", "I01", 1234567},
    {"제품", "10102003000", "재공품", "10102004000", "완성품 대체", "이영희", "S002", "품질관리부", "B02", "국민은행",
     "K001", "공정개선", "P02", "부품B", "I02", 2500000},
    {"제품매출원가", "40304001000", "제품", "10102003000", "매출원가 대체", "박민수", "S003", "영업부", "B03",
     "대한물산", "C002", "수출확대", "P03", "완제품C", "I03", 980000},
    {"노무비", "40403001000", "미지급비용", "20101009000", "노무비 배부", "최지은", "S004", "총무부", "B04", "우리은행",
     "K002", "원가절감", "P04", "용역D", "I04", 45000},
};

inline store::StoredLine sampleLine(const QString &date, const QString &branch, const QString &serial, int entry,
                                    bool debit)
{
    const SampleEntry &e = sampleEntries[entry % 4];
    const QString serialBun = QStringLiteral("%1").arg(entry + 1, 2, 10, QLatin1Char('0'));
    // The keys and constants as the program writes them; the texts below.
    store::StoredLine line =
        ::sampleLine(date, serial, serialBun, debit ? QStringLiteral("01") : QStringLiteral("02"), branch);
    line.Ac_JenName = QString::fromUtf8(debit ? e.debitName : e.creditName);
    line.Ac_JenCode = QString::fromUtf8(debit ? e.debitCode : e.creditCode);
    line.Ac_Text = QString::fromUtf8(e.text);
    line.Sawon_Name = QString::fromUtf8(e.sawonName);
    line.Sawon_Code = QString::fromUtf8(e.sawonCode);
    line.Buser_Name = QString::fromUtf8(e.buserName);
    line.Buser_Code = QString::fromUtf8(e.buserCode);
    line.Kubun_Name = QString::fromUtf8(e.kubunName);
    line.Kubun_Code = QString::fromUtf8(e.kubunCode);
    line.Project_Name = QString::fromUtf8(e.projectName);
    line.Project_Code = QString::fromUtf8(e.projectCode);
    line.Item_Name = QString::fromUtf8(e.itemName);
    line.Item_Code = QString::fromUtf8(e.itemCode);
    line.Cr_Amt = debit ? e.amount : 0;
    line.Dr_Amt = debit ? 0 : e.amount;
    line.End_Day = QDateTime(QDate(2001, 12, 31), QTime(9, 30));
    return line;
}

// Writes a voucher of that many entries (two lines each), credit lines first so
// that the order on the sheet comes from the statement, not from the insert.
inline void storeSampleVoucher(TestDatabase &db, const QString &date, const QString &branch, const QString &serial,
                               int entries)
{
    for (int entry = entries - 1; entry >= 0; --entry) {
        db.insertRaw(sampleLine(date, branch, serial, entry, false));
        db.insertRaw(sampleLine(date, branch, serial, entry, true));
    }
}
