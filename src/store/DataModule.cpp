#include "DataModule.h"

namespace store {

TDM1::TDM1()
    : MyQuery1(MyConnection1, QStringLiteral("MyQuery1")),
      MyQuery2(MyConnection1, QStringLiteral("MyQuery2")),
      MyQuery3(MyConnection1, QStringLiteral("MyQuery3")),
      MyQuery4(MyConnection1, QStringLiteral("MyQuery4")),
      MyQuery5(MyConnection1, QStringLiteral("MyQuery5")),
      MyQuery6(MyConnection1, QStringLiteral("MyQuery6")),
      myQuery7(MyConnection1, QStringLiteral("myQuery7")), myQuery8(MyConnection1, QStringLiteral("myQuery8"))
{
}

TDM1::~TDM1()
{
    MyConnection1.close();
    Connection::shutdownServer();
}

TDM1& TDM1::instance()
{
    static TDM1 module;
    return module;
}

} // namespace store
