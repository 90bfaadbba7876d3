#include "webengine/page_scripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "web/nesting_limit.h"
#include "web/tree_text.h"

namespace larkspur::webengine {

namespace {

// Helpers both scripts share: the FRAME and IFRAME elements of a document in
// document order, and the document a frame path leads to (null when a frame
// is missing or shows another site's document).
const char kCommonScript[] = R"JS(
  function framesOf(doc) { return doc.querySelectorAll('frame, iframe'); }
  function docAt(path) {
    var doc = document;
    for (var i = 0; i < path.length; i++) {
      var frame = framesOf(doc)[path[i]];
      if (!frame) return null;
      try { doc = frame.contentDocument; } catch (e) { return null; }
      if (!doc) return null;
    }
    return doc;
  }
  function tagOf(el) { return String(el.tagName || '').toUpperCase(); }
)JS";

const char kSnapshotBody[] = R"JS(
  var SKIP = {SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, TEMPLATE: 1, IFRAME: 1, NOEMBED: 1, NOFRAMES: 1};
  var FORM_VALUE = {INPUT: 1, TEXTAREA: 1, SELECT: 1, BUTTON: 1, OPTION: 1};
  var docs = [], count = 0, frames = 0;
  function absolute(doc, value) {
    try { return new URL(value, doc.baseURI).href; } catch (e) { return value; }
  }
  function pathOf(frame) {
    var path = [], el = frame;
    while (el) {
      var doc = el.ownerDocument;
      path.unshift(Array.prototype.indexOf.call(framesOf(doc), el));
      var win = doc.defaultView;
      try { el = win ? win.frameElement : null; } catch (e) { el = null; }
    }
    return path;
  }
  function watch(frame) {
    if (!token || frame.__larkspurWatched) return;
    frame.__larkspurWatched = true;
    frame.addEventListener('load', function () { console.log(token + JSON.stringify(pathOf(frame))); });
  }
  function typeOf(el, tag) {
    if (tag === 'INPUT') return String(el.type || 'text').toUpperCase();
    if (tag === 'BUTTON' || tag === 'SELECT') return String(el.type || '').toUpperCase();
    if (tag === 'TEXTAREA') return 'TEXTAREA';
    return String(el.getAttribute('type') || '').toUpperCase();
  }
  function addressOf(doc, el, attribute) {
    if (!el.hasAttribute(attribute)) return '';
    var live = el[attribute];
    return typeof live === 'string' && live ? live : absolute(doc, el.getAttribute(attribute));
  }
  // The element's content in order: the text of its text nodes and the
  // indices of its child elements. The rendered text of every element is put
  // together from these on the other side, by the same rules as for a parsed
  // page, so the snapshot grows with the page rather than with the page times
  // its depth. Script and style texts are never shown and are not sent.
  // Texts are sent up to the bytes a page may have in all, each cut to what
  // an element's text may hold; past that the document counts as cut.
  var textLeft = 0, cut = false;
  function textOf(data) {
    if (data.length > maxText) { data = data.substring(0, maxText); cut = true; }
    if (data.length > textLeft) { data = data.substring(0, textLeft); cut = true; }
    textLeft -= data.length;
    return data;
  }
  function contentOf(el, tag, index) {
    var k = [];
    for (var c = el.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === 3 || c.nodeType === 4) {
        if (!SKIP[tag]) k.push(textOf(c.data));
      } else if (c.nodeType === 1 && index.has(c)) {
        k.push(index.get(c));
      }
    }
    return k;
  }
  // Larger than a page may be, as it arrived (decoded).
  function oversized(doc) {
    try {
      var win = doc.defaultView;
      var nav = win && win.performance && win.performance.getEntriesByType('navigation')[0];
      return !!nav && nav.decodedBodySize > maxBytes;
    } catch (e) {
      return false;
    }
  }
  function hiddenByStyle(doc, el) {
    var view = doc.defaultView;
    if (!view) return false;
    var style = view.getComputedStyle(el);
    return !!style && style.display === 'none';
  }
  function element(doc, el, index) {
    var tag = tagOf(el);
    var e = {t: tag, n: el.getAttribute('name') || '', y: typeOf(el, tag)};
    e.v = FORM_VALUE[tag] ? String(el.value) : (el.getAttribute('value') || '');
    e.s = addressOf(doc, el, 'src');
    e.h = (tag === 'A' || tag === 'AREA' || tag === 'LINK' || tag === 'BASE') ? addressOf(doc, el, 'href') : '';
    e.k = contentOf(el, tag, index);
    if (hiddenByStyle(doc, el)) e.d = 1;
    var parent = el.parentElement;
    e.p = parent && index.has(parent) ? index.get(parent) : -1;
    if (tag === 'SELECT') {
      e.o = [];
      for (var i = 0; i < el.options.length; i++) {
        var o = el.options[i];
        e.o.push([o.text, o.value, o.selected, o.disabled]);
      }
    }
    e.a = [];
    for (var j = 0; j < el.attributes.length; j++) {
      e.a.push([el.attributes[j].name.toLowerCase(), el.attributes[j].value]);
    }
    return e;
  }
  function snap(doc, path, depth) {
    var inner = framesOf(doc);
    for (var i = 0; i < inner.length; i++) {
      watch(inner[i]);
      if (depth >= maxDepth || frames >= maxFrames) continue;
      var sub = null;
      try { sub = inner[i].contentDocument; } catch (e) { sub = null; }
      if (!sub || !/^https?:/i.test(sub.URL)) continue;
      ++frames;
      snap(sub, path.concat([i]), depth + 1);
    }
    // As many elements as a parsed page keeps at most.
    var live = doc.getElementsByTagName('*');
    var all = Array.prototype.slice.call(live, 0, maxElements);
    var index = new Map();
    for (var k = 0; k < all.length; k++) index.set(all[k], k);
    textLeft = maxBytes;
    cut = live.length > maxElements || oversized(doc);
    var els = [];
    for (var k = 0; k < all.length; k++) els.push(element(doc, all[k], index));
    var id = idBase + ':' + (++count);
    doc.__larkspurId = id;
    docs.push({path: path, id: id, url: doc.URL, cs: String(doc.characterSet || '').toUpperCase(), els: els,
               cut: cut ? 1 : 0});
  }
  try {
    var root = docAt(path);
    if (root) snap(root, path, path.length);
    return JSON.stringify({docs: docs});
  } catch (e) {
    // A page too large to be listed is handed over empty, as cut.
    return JSON.stringify({docs: [{path: path, id: '', url: document.URL, cs: '', els: [], cut: 1}],
                           error: String(e)});
  }
)JS";

const char kActionsBody[] = R"JS(
  function fire(win, el, name) { el.dispatchEvent(new win.Event(name, {bubbles: true})); }
  function setValue(win, el, tag, value) {
    var proto = tag === 'INPUT' ? win.HTMLInputElement.prototype
              : tag === 'TEXTAREA' ? win.HTMLTextAreaElement.prototype : null;
    var setter = proto ? Object.getOwnPropertyDescriptor(proto, 'value') : null;
    if (setter && setter.set) setter.set.call(el, value);
    else if ('value' in el) el.value = value;
    else el.setAttribute('value', value);
    fire(win, el, 'input');
    fire(win, el, 'change');
  }
  function select(win, el, option) {
    var o = el.options ? el.options[option] : null;
    if (!o) return;
    o.selected = true;
    fire(win, el, 'input');
    fire(win, el, 'change');
  }
  function click(win, el) {
    if (typeof el.click === 'function') el.click();
    else el.dispatchEvent(new win.MouseEvent('click', {bubbles: true, cancelable: true, view: win}));
  }
  var doc = docAt(path);
  if (!doc || doc.__larkspurId !== id) return -1;
  var win = doc.defaultView || window;
  var all = Array.prototype.slice.call(doc.getElementsByTagName('*'));
  var done = 0;
  for (var i = 0; i < actions.length; i++) {
    var a = actions[i], el = all[a.e];
    if (!el || tagOf(el) !== a.t || (el.getAttribute('name') || '') !== a.n) continue;
    try {
      if (a.k === 'v') setValue(win, el, a.t, a.v);
      else if (a.k === 's') select(win, el, a.o);
      else click(win, el);
      ++done;
    } catch (e) {
      // A write the element refuses (a file input, say) is passed over.
    }
  }
  return done;
)JS";

QString json(const QJsonValue& value) {
  if (value.isArray()) return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
  if (value.isObject()) return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
  // A lone string or number: wrapped in an array and unwrapped again.
  const QString text = QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
  return text.mid(1, text.size() - 2);
}

QJsonArray pathArray(const std::vector<int>& path) {
  QJsonArray array;
  for (const int i : path) array.append(i);
  return array;
}

std::string text(const QJsonValue& value) { return value.toString().toStdString(); }

web::Element elementFrom(const QJsonObject& o) {
  web::Element e;
  e.tag = text(o.value(QLatin1String("t")));
  e.name = text(o.value(QLatin1String("n")));
  e.type = text(o.value(QLatin1String("y")));
  e.value = text(o.value(QLatin1String("v")));
  e.src = text(o.value(QLatin1String("s")));
  e.href = text(o.value(QLatin1String("h")));
  e.parent = o.value(QLatin1String("p")).toInt(-1);
  for (const QJsonValue& option : o.value(QLatin1String("o")).toArray()) {
    const QJsonArray fields = option.toArray();
    web::SelectOption so;
    so.text = text(fields.at(0));
    so.value = text(fields.at(1));
    so.selected = fields.at(2).toBool();
    so.disabled = fields.at(3).toBool();
    e.options.push_back(std::move(so));
  }
  for (const QJsonValue& attribute : o.value(QLatin1String("a")).toArray()) {
    const QJsonArray pair = attribute.toArray();
    e.attributes.emplace_back(text(pair.at(0)), text(pair.at(1)));
  }
  return e;
}

}  // namespace

QString snapshotScript(const std::vector<int>& path, const QString& idBase, const QString& watchToken) {
  // Put together by concatenation: the arguments are JSON texts that may hold
  // anything, and nothing in them must be taken for a placeholder.
  return QStringLiteral("(function (path, idBase, token, maxDepth, maxFrames, maxElements, maxText, maxBytes) "
                        "{'use strict';") +
         QString::fromUtf8(kCommonScript) + QString::fromUtf8(kSnapshotBody) + QStringLiteral("})(") +
         json(pathArray(path)) + QLatin1Char(',') + json(idBase) + QLatin1Char(',') + json(watchToken) +
         QLatin1Char(',') + QString::number(kSnapshotFrameDepth) + QLatin1Char(',') +
         QString::number(kSnapshotFrameLimit) + QLatin1Char(',') +
         QString::number(static_cast<qulonglong>(web::kMaxMarkupNodes)) + QLatin1Char(',') +
         QString::number(static_cast<qulonglong>(web::Document::kTextLimit)) + QLatin1Char(',') +
         QString::number(static_cast<qulonglong>(web::kMaxPageBytes)) + QLatin1Char(')');
}

std::vector<SnapshotDocument> parseSnapshot(const QString& snapshot) {
  std::vector<SnapshotDocument> out;
  const QJsonDocument parsed = QJsonDocument::fromJson(snapshot.toUtf8());
  if (!parsed.isObject()) return out;
  for (const QJsonValue& d : parsed.object().value(QLatin1String("docs")).toArray()) {
    const QJsonObject o = d.toObject();
    SnapshotDocument doc;
    for (const QJsonValue& i : o.value(QLatin1String("path")).toArray()) doc.path.push_back(i.toInt());
    doc.id = o.value(QLatin1String("id")).toString();
    std::vector<web::Element> elements;
    std::vector<std::vector<web::ContentPiece>> content;
    std::vector<bool> hidden;
    const QJsonArray list = o.value(QLatin1String("els")).toArray();
    elements.reserve(static_cast<std::size_t>(list.size()));
    content.reserve(static_cast<std::size_t>(list.size()));
    for (const QJsonValue& value : list) {
      const QJsonObject e = value.toObject();
      elements.push_back(elementFrom(e));
      std::vector<web::ContentPiece> pieces;
      for (const QJsonValue& piece : e.value(QLatin1String("k")).toArray()) {
        if (piece.isString()) {
          pieces.push_back({text(piece), -1});
        } else {
          pieces.push_back({{}, static_cast<long>(piece.toInteger(-1))});
        }
      }
      content.push_back(std::move(pieces));
      hidden.push_back(e.value(QLatin1String("d")).toInt() == 1);
    }
    std::shared_ptr<const web::RenderedText> texts = web::renderedTextOfTree(elements, content, hidden);
    // A DOM that is not a tree in document order cannot be read.
    if (!texts) continue;
    doc.document = web::Document(text(o.value(QLatin1String("url"))), text(o.value(QLatin1String("cs"))),
                                 std::move(elements), std::move(texts));
    if (o.value(QLatin1String("cut")).toInt() == 1) doc.document.markCut();
    out.push_back(std::move(doc));
  }
  return out;
}

QString actionsScript(const std::vector<int>& path, const QString& id, const web::Document& document,
                      const std::vector<web::PageAction>& actions) {
  QJsonArray list;
  for (const web::PageAction& action : actions) {
    if (action.element >= document.size()) continue;
    const web::Element& e = document.at(action.element);
    QJsonObject a;
    a.insert(QLatin1String("e"), static_cast<qint64>(action.element));
    a.insert(QLatin1String("t"), QString::fromStdString(e.tag));
    a.insert(QLatin1String("n"), QString::fromStdString(e.name));
    switch (action.kind) {
      case web::PageAction::Kind::kSetValue:
        a.insert(QLatin1String("k"), QLatin1String("v"));
        a.insert(QLatin1String("v"), QString::fromStdString(action.value));
        break;
      case web::PageAction::Kind::kSelectOption:
        a.insert(QLatin1String("k"), QLatin1String("s"));
        a.insert(QLatin1String("o"), static_cast<qint64>(action.option));
        break;
      case web::PageAction::Kind::kClick:
        a.insert(QLatin1String("k"), QLatin1String("c"));
        break;
    }
    list.append(a);
  }
  return QStringLiteral("(function (path, id, actions) {'use strict';") + QString::fromUtf8(kCommonScript) +
         QString::fromUtf8(kActionsBody) + QStringLiteral("})(") + json(pathArray(path)) + QLatin1Char(',') +
         json(id) + QLatin1Char(',') + json(list) + QLatin1Char(')');
}

bool parseFrameLoad(const QString& message, const QString& watchToken, std::vector<int>& path) {
  if (watchToken.isEmpty() || !message.startsWith(watchToken)) return false;
  const QJsonDocument parsed = QJsonDocument::fromJson(message.mid(watchToken.size()).toUtf8());
  if (!parsed.isArray()) return false;
  path.clear();
  for (const QJsonValue& i : parsed.array()) {
    if (!i.isDouble() || i.toInt(-1) < 0) return false;
    path.push_back(i.toInt());
  }
  return true;
}

}  // namespace larkspur::webengine
