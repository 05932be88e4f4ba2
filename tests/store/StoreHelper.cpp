// A second process for the data-store tests.
//   store_test_helper hold-lock DB   opens DB, takes its lock, says "locked" and waits to be killed
//   store_test_helper write-loop DB  opens DB and adds feeds without end, saying "writing" first
//   store_test_helper try-lock DB    opens DB and exits 0 when an operation got the lock, else 3
//   store_test_helper write-views DB opens DB, says "writing" and adds Views 1000 to 1099 a few
//                                    milliseconds apart on its one connection; exits 0 when
//                                    every one was reported stored, else 4
#include "store/RssDatabase.h"

#include <QString>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    CRssDatabase db;
    if (db.OpenDatabase(QString::fromLocal8Bit(argv[2]), false) != 1)
        return 1;
    if (mode == "hold-lock") {
        db.HoldLock = true;
        if (!db.Lock())
            return 3;
        std::printf("locked\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (mode == "write-loop") {
        std::printf("writing\n");
        std::fflush(stdout);
        for (qint32 id = 1000;; ++id) {
            CViewRecord view;
            view.ViewID = id;
            view.Label = QStringLiteral("View %1").arg(id);
            db.InsertView(view);
        }
    }
    if (mode == "write-views") {
        std::printf("writing\n");
        std::fflush(stdout);
        bool stored = true;
        for (qint32 id = 1000; id < 1100; ++id) {
            CViewRecord view;
            view.ViewID = id;
            view.Label = QStringLiteral("View %1").arg(id);
            stored &= db.InsertView(view);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return stored ? 0 : 4;
    }
    if (mode == "try-lock")
        return db.GetView(1) ? 0 : 3;
    return 2;
}
