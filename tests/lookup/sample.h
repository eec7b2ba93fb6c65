#pragma once
// A small chart of accounts and code tables for the search tests, each row there
// for a reason: accounts inside and outside the lists of the two account
// searches, one hidden by its name and one by its code_kubun, a customer and a
// bank sharing a code, and names holding quotes, wildcards and SQL fragments.
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QStringList>
#include <initializer_list>

namespace sample {

inline void insert(const QString &table, const QStringList &columns, const QStringList &values)
{
    QStringList holders;
    store::Params params;
    for (int i = 0; i < columns.size(); ++i) {
        holders << QStringLiteral(":v%1").arg(i);
        params.emplace_back(holders.last(), values.value(i));
    }
    store::run(store::account(),
               {QStringLiteral("INSERT INTO %1 (%2)").arg(table, columns.join(QStringLiteral(", "))),
                QStringLiteral("VALUES (%1)").arg(holders.join(QStringLiteral(", ")))},
               params);
}

inline void rows(const QString &table, const QStringList &columns, std::initializer_list<QStringList> values)
{
    for (const QStringList &row : values)
        insert(table, columns, row);
}

// code, name, bigo, code_kubun; the group columns come from the code.
inline void account(const QString &code, const QString &name, const QString &bigo,
                    const QString &kubun = QStringLiteral("SSSSS"))
{
    insert(QStringLiteral("test_ac_code"),
           {"ac_code", "ac_name", "bigo", "code_kubun", "a_kubun", "b_kubun", "c_kubun"},
           {code, name, bigo, kubun, code.mid(0, 1), code.mid(1, 2), code.mid(3, 2)});
}

inline void fill()
{
    account("10101001000", "현금", "당좌자산");
    account("10102001000", "상품", "재고자산");
    account("10102005000", "원재료", "재고자산");
    account("10102008000", "부재료", "재고자산", "NNNNN");
    account("10102010000", "저장품", "재고자산");
    account("40301001000", "상품매출원가", "매출원가");
    account("40301002000", "기초상품재고액", "매출원가");
    account("40302001000", "제조간접비", "제조");
    account("40302003000", "제조부문비", "제조", "NNNNN");
    account("40302004000", "당기제품제조원가", "제조");
    account("40302009000", "제조 회사설정계정", "제조");
    account("40401001000", "원재료비", "제조원가");
    account("40401002000", "기초원재료재고액", "제조원가");
    account("40403001000", "임금", "노무비");
    account("40404002000", "전력비", "제조경비");

    rows("Sale_Table", {"Sale_Code", "Sale_Name", "Sale_Serial01", "Sale_Serial02", "Sale_Serial03"},
         {{"C100", "우리상사", "101", "81", "12345"},
          {"S001", "대한상사", "123", "45", "67890"},
          {"S002", "O'Neil 상사", "220", "86", "11111"}});
    rows("Bank_Table", {"Bank_Code", "Bank_Name", "Bank_Serial"},
         {{"B001", "국민은행 본점", "123-01-456789"}, {"C100", "우리은행 역삼", "1002-333-444444"}});
    rows("Sawon_Table", {"Sawon_Code", "Sawon_Name", "Sawon_Kubun", "Sawon_Jumin01", "Sawon_Jumin02", "Sawon_Text"},
         {{"E001", "김민수", "남", "750312", "1000001", "생산1부 반장"},
          {"E002", "이영희", "여", "820527", "2000002", "경리부 대리"}});
    rows("Buser_Table", {"Buser_Code", "Buser_Name", "Buser_Text"},
         {{"D01", "경리부", "전표 담당"}, {"D02", "생산1부", "조립"}});
    rows("Project_Table", {"Project_Code", "Project_Name", "Project_Text"},
         {{"P01", "신제품개발", "2001년"}, {"P02", "공장증설", "2공장"}});
    rows("Item_Table", {"Item_Code", "Item_Name", "Item_Text"},
         {{"I01", "50%할인", ""},
          {"I02", "500원할인", ""},
          {"I03", "A_B부품", ""},
          {"I04", "AXB부품", ""},
          {"I05", "O'Neil납품", ""},
          {"I06", "견적');DELETE FROM Item_Table;--", ""},
          {"I07", "할인!행사", ""},
          {"I08", "백\\슬래시", ""}});
}

} // namespace sample
