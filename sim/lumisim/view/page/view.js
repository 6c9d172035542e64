// The live viewer's page: the device's frames and status over one WebSocket,
// and what the person does sent back as one line each (down/move/up X Y,
// keys TEXT, delete N, return, home, background/foreground BUNDLE,
// touch-id enrolled|other). Nothing is fetched from anywhere else.
"use strict";
(() => {
  const $ = (id) => document.getElementById(id);
  const screen = $("screen");
  const layers = [$("app"), $("overlay")];
  const urls = [null, null];
  let socket = null;
  let frame = null;       // the frame shown: app, width, height, scale, overlay
  let arriving = null;    // the frame whose layers are arriving
  let fingerDown = false;

  function send(line) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(line);
  }

  function showLayer(index, bytes) {
    const img = layers[index];
    if (urls[index]) URL.revokeObjectURL(urls[index]);
    urls[index] = null;
    if (bytes.length > 0) {
      urls[index] = URL.createObjectURL(new Blob([bytes], { type: "image/png" }));
      img.src = urls[index];
      img.hidden = false;
    } else {
      img.removeAttribute("src");
      img.hidden = true;
    }
  }

  function onFrameLayer(data) {
    const bytes = new Uint8Array(data);
    if (bytes.length === 0 || bytes[0] > 1) return;
    showLayer(bytes[0], bytes.subarray(1));
    if (bytes[0] === 0) document.body.dataset.screenBytes = String(bytes.length - 1);
    if (bytes[0] === 1 && arriving) {
      frame = arriving;
      arriving = null;
      screen.style.width = frame.width + "px";
      screen.style.height = frame.height + "px";
      document.body.dataset.frames = String(Number(document.body.dataset.frames) + 1);
      document.body.dataset.app = frame.app;
      document.body.dataset.overlay = String(frame.overlay);
    }
  }

  function showStatus(s) {
    $("model").textContent = s.model;
    $("front").textContent = s.front;
    $("walls").textContent = s.walls;
    document.body.dataset.front = s.front;
    const rows = $("apps").tBodies[0];
    rows.replaceChildren();
    for (const app of s.apps) {
      const tr = rows.insertRow();
      tr.insertCell().textContent = app.bundle;
      tr.insertCell().textContent = String(app.pid);
      tr.insertCell().textContent = app.state;
      const actions = tr.insertCell();
      if (app.bundle === "com.apple.springboard") continue;
      for (const verb of ["background", "foreground"]) {
        const b = document.createElement("button");
        b.type = "button";
        b.textContent = verb === "background" ? "Background" : "Foreground";
        b.addEventListener("click", () => send(verb + " " + app.bundle));
        actions.append(b);
      }
    }
    $("log").textContent = s.log.join("\n");
    $("log").scrollTop = $("log").scrollHeight;
    $("notice").textContent = s.notice;
  }

  function connect() {
    socket = new WebSocket("ws://" + location.host + "/view", "lumi-view");
    socket.binaryType = "arraybuffer";
    socket.addEventListener("open", () => {
      $("connection").textContent = "Connected: what the device draws shows here as it changes.";
      document.body.dataset.connected = "true";
    });
    socket.addEventListener("close", () => {
      $("connection").textContent = "Disconnected: the device shut down or the viewer stopped.";
      document.body.dataset.connected = "false";
    });
    socket.addEventListener("message", (e) => {
      if (typeof e.data !== "string") return onFrameLayer(e.data);
      const m = JSON.parse(e.data);
      if (m.type === "status") showStatus(m);
      else if (m.type === "frame") arriving = m;
    });
  }

  // A point of the screen, in the device's points.
  function point(e) {
    const r = screen.getBoundingClientRect();
    const w = frame ? frame.width : r.width, h = frame ? frame.height : r.height;
    const x = ((e.clientX - r.left) * w) / r.width, y = ((e.clientY - r.top) * h) / r.height;
    return Math.max(0, Math.min(w, x)).toFixed(1) + " " + Math.max(0, Math.min(h, y)).toFixed(1);
  }

  screen.addEventListener("pointerdown", (e) => {
    if (e.button !== 0) return;
    screen.focus();
    screen.setPointerCapture(e.pointerId);
    fingerDown = true;
    send("down " + point(e));
    e.preventDefault();
  });
  screen.addEventListener("pointermove", (e) => {
    if (fingerDown) send("move " + point(e));
  });
  const lift = (e) => {
    if (!fingerDown) return;
    fingerDown = false;
    send("up " + point(e));
  };
  screen.addEventListener("pointerup", lift);
  screen.addEventListener("pointercancel", lift);

  screen.addEventListener("keydown", (e) => {
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    if (e.key === "Backspace") send("delete 1");
    else if (e.key === "Enter") send("return");
    else if ([...e.key].length === 1) send("keys " + e.key);
    else return;
    e.preventDefault();
  });

  $("home").addEventListener("click", () => send("home"));
  $("finger-enrolled").addEventListener("click", () => send("touch-id enrolled"));
  $("finger-other").addEventListener("click", () => send("touch-id other"));
  $("shot").addEventListener("click", () => {
    if (!frame) return;
    const canvas = document.createElement("canvas");
    canvas.width = Math.round(frame.width * frame.scale);
    canvas.height = Math.round(frame.height * frame.scale);
    const g = canvas.getContext("2d");
    for (const img of layers) if (!img.hidden && img.src) g.drawImage(img, 0, 0, canvas.width, canvas.height);
    canvas.toBlob((blob) => {
      const a = $("download");
      a.href = URL.createObjectURL(blob);
      a.download = frame.app + "-" + new Date().toISOString().replace(/[:.]/g, "-") + ".png";
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
    }, "image/png");
  });

  connect();
})();
