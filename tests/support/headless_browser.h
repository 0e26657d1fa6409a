// A headless chromium driven through its remote-debugging protocol over two pipes
// (--remote-debugging-pipe: the browser reads commands on its descriptor 3 and answers on 4, each
// message JSON ended by a NUL), so that one page can be evaluated, used with the mouse and
// photographed in one state. What the page writes on its console and every exception it throws
// are collected. Linux only, as the browser tests are.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <utility>
#include <vector>

namespace kwtest {

class HeadlessBrowser {
 public:
  static QString Executable() { return QStandardPaths::findExecutable(QStringLiteral("chromium")); }

  HeadlessBrowser() {
    // Every end closes on exec; the browser's two are copied to 3 and 4 in the child (by way of
    // high numbers, in case either already is 3 or 4).
    if (::pipe2(toBrowser_, O_CLOEXEC) != 0 || ::pipe2(fromBrowser_, O_CLOEXEC) != 0) return;
    const int in = toBrowser_[0], out = fromBrowser_[1];
    process_.setChildProcessModifier([in, out] {
      const int highIn = ::fcntl(in, F_DUPFD, 10), highOut = ::fcntl(out, F_DUPFD, 10);
      ::dup2(highIn, 3);
      ::dup2(highOut, 4);
    });
    // The flags keep the browser off the network (this machine's is closed) and out of any
    // profile but a new empty one.
    process_.start(Executable(), {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                  "--no-first-run", "--disable-background-networking",
                                  "--disable-component-update", "--disable-sync",
                                  "--hide-scrollbars", "--remote-debugging-pipe",
                                  "--user-data-dir=" + profile_.path(), "about:blank"});
    ::close(toBrowser_[0]);
    ::close(fromBrowser_[1]);
    toBrowser_[0] = fromBrowser_[1] = -1;
    if (!process_.waitForStarted(30000)) return;
    const QJsonObject created = Call("Target.createTarget", {{"url", "about:blank"}}, false);
    const QString target = created["result"].toObject()["targetId"].toString();
    const QJsonObject attached =
        Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}, false);
    session_ = attached["result"].toObject()["sessionId"].toString();
    for (const char* domain : {"Page.enable", "Runtime.enable", "Log.enable"}) Call(domain);
    ok_ = !session_.isEmpty();
  }

  ~HeadlessBrowser() {
    if (ok_) Send("Browser.close", {}, false);
    process_.waitForFinished(10000);
    if (process_.state() != QProcess::NotRunning) process_.kill();
    process_.waitForFinished(5000);
    for (int fd : {toBrowser_[0], toBrowser_[1], fromBrowser_[0], fromBrowser_[1]})
      if (fd >= 0) ::close(fd);
  }

  bool ok() const { return ok_; }

  // The viewport the page lays itself out in, CSS pixels, and its device pixels per CSS pixel.
  void SetViewport(int width, int height, double ratio = 1, bool phone = false) {
    Call("Emulation.setDeviceMetricsOverride",
         {{"width", width}, {"height", height}, {"deviceScaleFactor", ratio}, {"mobile", phone}});
  }

  // The languages the browser says it prefers ("ja-JP", "en-GB,en"), for the pages opened next.
  void SetLanguages(const QString& languages) {
    const QString agent = Evaluate("navigator.userAgent").toString();
    Call("Emulation.setUserAgentOverride", {{"userAgent", agent}, {"acceptLanguage", languages}});
  }

  // Opens `url` and waits until the page says it is set up (body data-ready) or failed
  // (body data-error); returns the error, empty when none.
  QString Open(const QString& url) {
    // By way of an empty page: a new fragment alone would not load the page again.
    for (const QString& to : {QStringLiteral("about:blank"), url}) {
      seen_.clear();
      Call("Page.navigate", {{"url", to}});
      WaitForEvent("Page.loadEventFired");
    }
    return Evaluate(
               "new Promise((done) => { const look = () => document.body.dataset.ready ? "
               "done('') : document.body.dataset.error ? done(document.body.dataset.error) : "
               "setTimeout(look, 20); look(); })")
        .toString();
  }

  // The value of a JavaScript expression (a promise is awaited), as JSON.
  QJsonValue Evaluate(const QString& expression) {
    const QJsonObject r =
        Call("Runtime.evaluate",
             {{"expression", expression}, {"awaitPromise", true}, {"returnByValue", true}});
    return r["result"].toObject()["result"].toObject()["value"];
  }

  QByteArray Screenshot() {
    const QJsonObject r = Call("Page.captureScreenshot", {{"format", "png"}});
    return QByteArray::fromBase64(r["result"].toObject()["data"].toString().toLatin1());
  }

  // A mouse event at (x, y) CSS pixels of the viewport: "mousePressed", "mouseMoved",
  // "mouseReleased" or "mouseWheel" (with deltaY).
  void Mouse(const QString& type, double x, double y, double deltaY = 0) {
    QJsonObject p{{"type", type}, {"x", x}, {"y", y}, {"button", "left"}, {"clickCount", 1}};
    if (type == QLatin1String("mouseMoved")) p["buttons"] = 1;
    if (type == QLatin1String("mouseWheel")) p.insert("deltaX", 0), p.insert("deltaY", deltaY);
    Call("Input.dispatchMouseEvent", p);
  }

  // A touch event ("touchStart", "touchMove", "touchEnd") with the fingers at `points` (x, y in
  // CSS pixels of the viewport; none for touchEnd).
  void Touch(const QString& type, const std::vector<std::pair<double, double>>& points) {
    QJsonArray fingers;
    int id = 0;
    for (const auto& [x, y] : points) fingers.append(QJsonObject{{"x", x}, {"y", y}, {"id", id++}});
    Call("Input.dispatchTouchEvent", {{"type", type}, {"touchPoints", fingers}});
  }

  // What the page wrote on its console, the exceptions it threw and the errors the browser
  // logged for it.
  const QStringList& console() const { return console_; }

  // One command; the answer (with "result" or "error"). In the page's session unless `inPage`
  // is false.
  QJsonObject Call(const QString& method, const QJsonObject& params = {}, bool inPage = true) {
    const int id = Send(method, params, inPage);
    for (;;) {
      const QJsonObject m = Receive();
      if (m.isEmpty() || m["id"].toInt() == id) return m;
    }
  }

 private:
  int Send(const QString& method, const QJsonObject& params, bool inPage) {
    QJsonObject m{{"id", ++lastId_}, {"method", method}, {"params", params}};
    if (inPage && !session_.isEmpty()) m["sessionId"] = session_;
    QByteArray bytes = QJsonDocument(m).toJson(QJsonDocument::Compact);
    bytes.append('\0');
    for (qsizetype at = 0; at < bytes.size() && toBrowser_[1] >= 0;) {
      const ssize_t n = ::write(toBrowser_[1], bytes.constData() + at, bytes.size() - at);
      if (n <= 0) break;
      at += n;
    }
    return lastId_;
  }

  void WaitForEvent(const QString& method) {
    if (seen_.contains(method)) return;
    for (;;) {
      const QJsonObject m = Receive();
      if (m.isEmpty() || m["method"].toString() == method) return;
    }
  }

  // The next message (empty after a minute without one, or when the browser has gone); console
  // messages and exceptions are noted on the way.
  QJsonObject Receive() {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    for (;;) {
      if (const qsizetype end = buffer_.indexOf('\0'); end >= 0) {
        const QJsonObject m = QJsonDocument::fromJson(buffer_.left(end)).object();
        buffer_.remove(0, end + 1);
        Note(m);
        return m;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd p{fromBrowser_[0], POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return {};
      char chunk[65536];
      const ssize_t n = ::read(fromBrowser_[0], chunk, sizeof chunk);
      if (n <= 0) return {};
      buffer_.append(chunk, n);
    }
  }

  void Note(const QJsonObject& m) {
    const QString method = m["method"].toString();
    const QJsonObject p = m["params"].toObject();
    if (!method.isEmpty()) seen_ << method;
    if (method == QLatin1String("Runtime.consoleAPICalled")) {
      QStringList args;
      for (const QJsonValue& a : p["args"].toArray())
        args << a.toObject()["value"].toVariant().toString();
      console_ << p["type"].toString() + ": " + args.join(' ');
    } else if (method == QLatin1String("Runtime.exceptionThrown")) {
      const QJsonObject d = p["exceptionDetails"].toObject();
      console_ << "exception: " + d["text"].toString() + " " +
                      d["exception"].toObject()["description"].toString();
    } else if (method == QLatin1String("Log.entryAdded")) {
      const QJsonObject e = p["entry"].toObject();
      if (e["level"].toString() == QLatin1String("error") ||
          e["level"].toString() == QLatin1String("warning"))
        console_ << e["level"].toString() + ": " + e["text"].toString();
    }
  }

  QTemporaryDir profile_;
  QProcess process_;
  int toBrowser_[2] = {-1, -1}, fromBrowser_[2] = {-1, -1};
  QByteArray buffer_;
  QString session_;
  int lastId_ = 0;
  bool ok_ = false;
  QStringList console_;
  QStringList seen_;  // events since the last navigation
};

}  // namespace kwtest
