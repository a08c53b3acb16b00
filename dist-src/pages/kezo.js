/* Veltra page script, served by the control server and loaded by the small tag the proxy
   puts into every filtered page. Defines kezo_data (manual_nonepic, no_img, do_filter),
   reads the picture settings from the control server's /param.js, drives the toolbar and
   the picture button. Plain ES3/ES5 for every browser; every step is guarded, so a page it
   does not understand is left as it was. */
(function (w, d) {
  try {
    /* The control server is whatever served this script: its port follows HttpPort. */
    var tag = d.currentScript || d.getElementById('kezo-script');
    var served = tag && /^https?:\/\/[^\/]+/.exec(String(tag.src || ''));
    var server = served ? served[0] : 'http://127.0.0.1:809';
    var data = w.kezo_data;
    if (!data || typeof data !== 'object') {
      data = {};
      w.kezo_data = data;
    }
    if (typeof data.do_filter === 'function') return;
    if (data.manual_nonepic === undefined) data.manual_nonepic = '1';
    if (data.no_img === undefined) data.no_img = '0';

    var framed = false;
    try { framed = w.top !== w.self; } catch (e) { framed = true; }

    var text = function (value) { return value === undefined || value === null ? '' : String(value); };
    var byId = function (id) { return d.getElementById ? d.getElementById(id) : null; };
    var remove = function (node) { if (node && node.parentNode) node.parentNode.removeChild(node); };
    var on = function (node, type, handler) {
      if (node.addEventListener) node.addEventListener(type, handler, true);
      else if (node.attachEvent) node.attachEvent('on' + type, handler);
    };
    var head = function () { return d.getElementsByTagName('head')[0] || d.documentElement; };

    data.do_filter = function () {
      try {
        var style = byId('kezo-noimg');
        var hide = text(data.no_img) === '1';
        if (hide && !style) {
          var css = 'img,picture,input[type=image]{visibility:hidden!important}';
          style = d.createElement('style');
          style.id = 'kezo-noimg';
          style.type = 'text/css';
          head().appendChild(style);
          if (style.styleSheet) style.styleSheet.cssText = css;
          else style.appendChild(d.createTextNode(css));
        } else if (!hide && style) {
          remove(style);
        }
      } catch (e) {}
    };

    /* /param.js runs "var kezo_data={}" and sets the two values, replacing this object;
       the object is put back with the values taken over. A no_img of '1' set by the proxy
       for a listed site stays. */
    var loadParameters = function () {
      var script = d.createElement('script');
      var finished = false;
      var finish = function () {
        if (finished) return;
        finished = true;
        var loaded = w.kezo_data;
        w.kezo_data = data;
        if (loaded && loaded !== data) {
          if (loaded.manual_nonepic !== undefined) data.manual_nonepic = text(loaded.manual_nonepic);
          if (loaded.no_img !== undefined && text(data.no_img) !== '1') data.no_img = text(loaded.no_img);
        }
        remove(script);
        data.do_filter();
      };
      script.onload = finish;
      script.onerror = finish;
      script.onreadystatechange = function () {
        if (/loaded|complete/.test(script.readyState)) finish();
      };
      script.async = true;
      script.src = server + '/param.js';
      head().appendChild(script);
    };

    var commandUrl = function (name, value) { return server + '/x.' + name + (value ? '?url=' + value : ''); };

    /* Commands open the control server's page in a small window; the page reports back with
       postMessage, and the action that depends on the command (a reload) follows then.
       Without a window (blocked) that page replaces this one. Trusting a site and closing
       the toolbar are asked there first: only that page's own button can confirm them. */
    var pending = null;
    var send = function (name, value, after) {
      var url = commandUrl(name, value);
      var popup = null;
      try { popup = w.open(url, 'kezo_command', 'width=480,height=320,left=240,top=160,resizable=yes'); } catch (e) {}
      if (popup) {
        pending = after || null;
      } else {
        pending = null;
        w.location.href = url;
      }
    };
    on(w, 'message', function (event) {
      if (!event || event.origin !== server) return;
      var after = pending;
      pending = null;
      if (event.data === 'kezo:done' && after) after();
    });

    var bar = byId('kezo-bar');
    var site = function () { return text(w.location.hostname).replace(/^www\./i, ''); };
    var command = function (name) {
      if (name === 'black' || name === 'white') {
        if (!site()) return;
        send(name, site(), function () { w.location.reload(); });
      } else if (name === 'noimg') {
        if (!w.location.host) return;
        data.no_img = '1';
        data.do_filter();
        send(name, w.location.protocol + '//' + w.location.host + '/', null);
      } else if (name === 'close') {
        remove(bar);
        bar = null;
        send(name, '', null);
      } else if (name === 'set') {
        send(name, '', null);
      }
    };

    /* In a frame or a very small window the toolbar and the tip line would only be in the
       way: they stay in the top-level page. */
    if (framed || (w.innerWidth && w.innerWidth < 360)) {
      remove(bar);
      bar = null;
      if (framed) remove(byId('kezo-tip'));
    }
    if (bar) {
      bar.className += ' kezo-on';
      on(bar, 'click', function (event) {
        event = event || w.event;
        var node = event.target || event.srcElement;
        while (node && node !== bar && !(node.getAttribute && node.getAttribute('data-kezo-command'))) node = node.parentNode;
        if (node && node !== bar) command(node.getAttribute('data-kezo-command'));
      });
    }

    /* The picture button: while manual_nonepic is '1', a button over the picture under the
       mouse hides it and adds its address to the blocked pictures. */
    var button = null;
    var picture = null;
    var hideTimer = 0;
    var beacons = [];
    var hideButton = function () {
      if (button) button.style.display = 'none';
      picture = null;
    };
    var blockPicture = function (image) {
      if (!image) return;
      var address = text(image.currentSrc || image.src).split('#')[0];
      image.style.visibility = 'hidden';
      if (!/^https?:\/\//i.test(address) || address.length > 3000) return;
      var beacon = new Image();
      beacons.push(beacon);
      beacon.onload = beacon.onerror = function () {
        for (var i = 0; i < beacons.length; i++) if (beacons[i] === beacon) beacons.splice(i, 1);
      };
      beacon.src = commandUrl('filterimage', encodeURIComponent(address));
    };
    var pictureButton = function () {
      if (button) return button;
      button = d.createElement('span');
      button.id = 'kezo-picture-button';
      button.title = '屏蔽这张图片';
      button.appendChild(d.createTextNode('屏蔽'));
      button.style.cssText = 'position:fixed;z-index:2147483647;display:none;margin:0;padding:2px 9px;' +
          'border:0;border-radius:3px;background:#C0392B;color:#FFFFFF;font:13px/1.5 sans-serif;' +
          'cursor:pointer;box-shadow:0 1px 3px rgba(0,0,0,0.3)';
      on(button, 'click', function (event) {
        event = event || w.event;
        blockPicture(picture);
        hideButton();
        if (event.preventDefault) event.preventDefault();
        if (event.stopPropagation) event.stopPropagation();
        event.returnValue = false;
        event.cancelBubble = true;
      });
      (d.body || d.documentElement).appendChild(button);
      return button;
    };
    on(d, 'mouseover', function (event) {
      try {
        event = event || w.event;
        var node = event.target || event.srcElement;
        if (!node || text(data.manual_nonepic) !== '1') return;
        if (node === button) {
          clearTimeout(hideTimer);
          return;
        }
        if (node.tagName !== 'IMG' || !node.getBoundingClientRect) return;
        var box = node.getBoundingClientRect();
        if (box.right - box.left < 60 || box.bottom - box.top < 40) return;
        clearTimeout(hideTimer);
        picture = node;
        var shown = pictureButton();
        shown.style.display = 'block';
        shown.style.top = Math.max(box.top, 0) + 4 + 'px';
        shown.style.left = Math.max(box.right - shown.offsetWidth - 4, 0) + 'px';
      } catch (e) {}
    });
    on(d, 'mouseout', function (event) {
      event = event || w.event;
      var from = event.target || event.srcElement;
      var to = event.relatedTarget || event.toElement;
      if (!button || (from !== picture && from !== button) || to === picture || to === button) return;
      clearTimeout(hideTimer);
      hideTimer = setTimeout(hideButton, 300);
    });
    on(w, 'scroll', hideButton);

    data.do_filter();
    loadParameters();
  } catch (e) {}
})(window, document);
