// Shows a ledger rendered in pieces as one continuous page. Only the pieces near the viewport
// are in the document; spacers of their (estimated, later measured) height stand in for the
// rest, so that the scroll bar, the page keys, Home and End cover the whole ledger. Runs in the
// program's own script world: the page's scripts cannot see or change it. Injected when the
// document is parsed, it starts itself from the manifest the page carries.
(function () {
    'use strict';
    if (window.__vz)
        return;

    const BASE = '/.verazidedaze/';
    const KEEP_SCREENS = 3; // pieces further than this from the viewport leave the document
    const LOAD_SCREENS = 1; // pieces this close to the viewport are brought in

    const state = {
        version: 0,
        partial: false,
        weights: [],
        hashes: [],
        measured: [],       // real heights of pieces once shown
        slots: [],          // in document order: {index, nodes} or {from, to, el}
        loading: new Map(), // index -> promise of its content
        pxPerWeight: 0,
        banner: null,
        endNote: null,
        pinned: null,       // 'top', 'bottom' or {index} while a jump settles
        resident: -1,       // the last piece (totals), kept in the document wherever the reader is
        lastPiece: undefined, // its content, when the page brought it along
        failure: '',          // why a piece could not be shown, once one could not
        scheduled: false,
    };

    // This engine's fetch() knows no custom schemes; XMLHttpRequest does.
    function get(path) {
        return new Promise((resolve, reject) => {
            const request = new XMLHttpRequest();
            request.open('GET', path);
            request.onload = () => request.status === 200 ? resolve(request.responseText) : reject(request.status);
            request.onerror = () => reject(0);
            request.send();
        });
    }

    function el(tag, style, text) {
        const node = document.createElement(tag);
        node.setAttribute('style', style);
        if (text)
            node.textContent = text;
        node.setAttribute('data-vz-own', '');
        return node;
    }

    function estimate(index) {
        if (state.measured[index] !== undefined)
            return state.measured[index];
        return Math.max(8, state.weights[index] * state.pxPerWeight);
    }

    function extentOf(nodes) {
        if (!nodes.length)
            return {top: 0, bottom: 0};
        const range = document.createRange();
        range.setStartBefore(nodes[0]);
        range.setEndAfter(nodes[nodes.length - 1]);
        const box = range.getBoundingClientRect();
        return {top: box.top + window.scrollY, bottom: box.bottom + window.scrollY};
    }

    function measure(slot) {
        const extent = extentOf(slot.nodes);
        state.measured[slot.index] = Math.max(1, extent.bottom - extent.top);
        let height = 0;
        let weight = 0;
        state.measured.forEach((h, i) => {
            if (h !== undefined) {
                height += h;
                weight += state.weights[i];
            }
        });
        if (weight > 0)
            state.pxPerWeight = height / weight;
    }

    function makeGap(from, to) {
        const gap = el('div', 'margin:0;padding:0;border:0;', '');
        gap.setAttribute('data-vz-gap', '');
        const slot = {from, to, el: gap};
        sizeGap(slot);
        return slot;
    }

    function sizeGap(slot) {
        let height = 0;
        for (let i = slot.from; i <= slot.to; ++i)
            height += estimate(i);
        slot.el.style.height = Math.round(height) + 'px';
    }

    function slotTop(slot) {
        if (slot.el)
            return slot.el.getBoundingClientRect().top + window.scrollY;
        return extentOf(slot.nodes).top;
    }

    // Where the reader is: the piece at the top of the viewport and how far into it.
    function anchor() {
        const y = window.scrollY;
        for (const slot of state.slots) {
            const top = slotTop(slot);
            if (slot.el) {
                const height = slot.el.offsetHeight;
                if (y < top + height) {
                    let offset = Math.max(0, y - top);
                    for (let i = slot.from; i <= slot.to; ++i) {
                        const h = estimate(i);
                        if (offset < h || i === slot.to)
                            return {index: i, fraction: Math.min(1, offset / h)};
                        offset -= h;
                    }
                }
            } else {
                const extent = extentOf(slot.nodes);
                if (y < extent.bottom) {
                    // Above the piece's first line (a page margin) counts in pixels, not as a share.
                    return {index: slot.index, before: Math.min(0, y - extent.top),
                            fraction: Math.max(0, (y - extent.top) / Math.max(1, extent.bottom - extent.top))};
                }
            }
        }
        return {index: state.weights.length - 1, fraction: 1};
    }

    function pieceTop(index) {
        for (const slot of state.slots) {
            if (slot.el && index >= slot.from && index <= slot.to) {
                let top = slotTop(slot);
                for (let i = slot.from; i < index; ++i)
                    top += estimate(i);
                return top;
            }
            if (!slot.el && slot.index === index)
                return extentOf(slot.nodes).top;
        }
        return 0;
    }

    function restore(place) {
        window.scrollTo(0, Math.max(0, pieceTop(place.index) + place.fraction * estimate(place.index) +
                                           (place.before || 0)));
    }

    function fetchPiece(index) {
        if (!state.loading.has(index)) {
            const version = state.version;
            const promise = get(BASE + 'piece/' + index + '?v=' + version)
                .finally(() => state.loading.delete(index));
            state.loading.set(index, promise);
        }
        return state.loading.get(index);
    }

    function nodesFrom(html) {
        const fragment = document.createRange().createContextualFragment(html);
        return Array.from(fragment.childNodes);
    }

    // Puts piece `index` in the place of its spacer, keeping the reader where they were.
    function insert(index, html) {
        const at = state.slots.findIndex(s => s.el && index >= s.from && index <= s.to);
        if (at < 0)
            return;
        const place = anchor();
        const gap = state.slots[at];
        const nodes = nodesFrom(html);
        const replacement = [];
        if (gap.from < index)
            replacement.push(makeGap(gap.from, index - 1));
        const piece = {index, nodes};
        replacement.push(piece);
        if (index < gap.to)
            replacement.push(makeGap(index + 1, gap.to));
        for (const slot of replacement) {
            for (const node of slot.el ? [slot.el] : slot.nodes)
                gap.el.parentNode.insertBefore(node, gap.el);
        }
        gap.el.remove();
        state.slots.splice(at, 1, ...replacement);
        measure(piece);
        for (const slot of state.slots) {
            if (slot.el)
                sizeGap(slot);
        }
        settle(place);
    }

    function settle(place) {
        if (state.pinned === 'bottom')
            window.scrollTo(0, document.documentElement.scrollHeight);
        else if (state.pinned === 'top')
            window.scrollTo(0, 0);
        else if (state.pinned && state.pinned.index !== undefined)
            window.scrollTo(0, pieceTop(state.pinned.index));
        else
            restore(place);
    }

    // Piece `slotIndex` leaves the document; a spacer of its measured height takes its place.
    function evict(at) {
        const piece = state.slots[at];
        measure(piece);
        const gap = makeGap(piece.index, piece.index);
        piece.nodes[0].parentNode.insertBefore(gap.el, piece.nodes[0]);
        for (const node of piece.nodes)
            node.remove();
        state.slots.splice(at, 1, gap);
        mergeGaps();
    }

    function mergeGaps() {
        for (let i = 0; i + 1 < state.slots.length; ++i) {
            const a = state.slots[i];
            const b = state.slots[i + 1];
            if (a.el && b.el) {
                a.to = b.to;
                b.el.remove();
                state.slots.splice(i + 1, 1);
                sizeGap(a);
                --i;
            }
        }
    }

    function update() {
        state.scheduled = false;
        const screen = window.innerHeight;
        const top = window.scrollY;
        const wantFrom = top - LOAD_SCREENS * screen;
        const wantTo = top + screen + LOAD_SCREENS * screen;
        const wanted = [];
        for (const slot of state.slots) {
            if (!slot.el)
                continue;
            let y = slotTop(slot);
            for (let i = slot.from; i <= slot.to; ++i) {
                const h = estimate(i);
                if (y + h >= wantFrom && y <= wantTo)
                    wanted.push(i);
                y += h;
                if (y > wantTo)
                    break;
            }
        }
        // After a jump the piece jumped to is asked for first, and so laid out first.
        const target = state.pinned === 'bottom' ? wanted[wanted.length - 1]
                     : state.pinned && state.pinned.index !== undefined ? state.pinned.index : undefined;
        if (wanted.includes(target))
            wanted.unshift(...wanted.splice(wanted.indexOf(target), 1));
        for (const index of wanted.slice(0, 4))
            fetchPiece(index).then(html => {
                if (html !== undefined)
                    insert(index, html);
                schedule();
            }, reason => fail(index, reason));
        const keepFrom = top - KEEP_SCREENS * screen;
        const keepTo = top + screen + KEEP_SCREENS * screen;
        for (let i = state.slots.length - 1; i >= 0; --i) {
            const slot = state.slots[i];
            if (slot.el || slot.index === state.resident)
                continue;
            const extent = extentOf(slot.nodes);
            if (extent.bottom < keepFrom || extent.top > keepTo) {
                const place = anchor();
                evict(i);
                restore(place);
            }
        }
        if (!wanted.length && state.loading.size === 0)
            state.pinned = null;
    }

    function schedule() {
        if (!state.scheduled) {
            state.scheduled = true;
            requestAnimationFrame(update);
        }
    }

    function showNotice(partial) {
        if (partial && !state.banner) {
            state.banner = el('div', 'position:sticky;top:0;z-index:2147483647;padding:6px 12px;margin:0 0 8px;' +
                'background:#fff8d6;border-bottom:1px solid #d9c77a;font:13px sans-serif;color:#333;',
                'Defterin tamamı yükleniyor… Şimdilik baştaki kayıtlar gösteriliyor; toplamlar defterin tamamı ' +
                'hazır olunca görünecek.');
            document.body.insertBefore(state.banner, document.body.firstChild);
            state.endNote = el('div', 'padding:16px 12px;font:13px sans-serif;color:#666;text-align:center;',
                'Devamı yükleniyor…');
            document.body.appendChild(state.endNote);
        } else if (!partial && state.banner) {
            state.banner.remove();
            state.endNote.remove();
            state.banner = state.endNote = null;
        }
    }

    // A piece that cannot be had ends the loading notices with a message the reader sees, in
    // place of a blank that would wait for good; status() tells the program.
    function fail(index, reason) {
        const message = 'Defterin ' + (index + 1) + '. parçası yüklenemedi' +
                        (reason ? ' (' + reason + ')' : '') + '. Defteri yeniden açmayı deneyin.';
        if (state.failure === message)
            return;
        state.failure = message;
        console.error(message);
        showNotice(false);
        if (!state.alert) {
            state.alert = el('div', 'position:sticky;top:0;z-index:2147483647;padding:6px 12px;margin:0 0 8px;' +
                'background:#fde2e1;border-bottom:1px solid #d98a85;font:13px sans-serif;color:#5a1410;', '');
            state.alert.setAttribute('role', 'alert');
            document.body.insertBefore(state.alert, document.body.firstChild);
        }
        state.alert.textContent = message;
    }

    // The totals are what a reader looks at first: the last piece is laid out in advance and
    // stays, so that End shows it at once. Not while only the beginning is there.
    function keepLast() {
        const last = state.weights.length - 1;
        if (state.partial || last < 1 || state.resident === last)
            return;
        state.resident = last;
        const carried = state.lastPiece;
        state.lastPiece = undefined;
        (carried !== undefined ? Promise.resolve(carried) : fetchPiece(last)).then(html => {
            if (html !== undefined && state.resident === last && !state.slots.some(s => !s.el && s.index === last))
                insert(last, html);
        }, reason => fail(last, reason));
    }

    // From the manifest of the page shown.
    function start(manifest) {
        state.version = manifest.version;
        state.partial = manifest.partial;
        state.weights = manifest.weights;
        state.hashes = manifest.hashes;
        const own = document.createElement('style');
        own.setAttribute('data-vz-own', '');
        own.textContent = '[data-vz-repeat]{display:none!important} html,body{overflow-anchor:none}';
        document.head.appendChild(own);
        const first = {index: 0, nodes: Array.from(document.body.childNodes)};
        state.slots = [first];
        measure(first);
        if (state.weights.length > 1) {
            const gap = makeGap(1, state.weights.length - 1);
            document.body.appendChild(gap.el);
            state.slots.push(gap);
        }
        showNotice(state.partial);
        window.addEventListener('scroll', schedule, {passive: true});
        window.addEventListener('resize', () => {
            state.measured = [];
            schedule();
        });
        window.addEventListener('keydown', event => {
            if (event.key === 'End' && !isEditable(event.target))
                state.pinned = 'bottom';
            else if (event.key === 'Home' && !isEditable(event.target))
                state.pinned = 'top';
            else
                state.pinned = null;
        }, true);
        window.addEventListener('wheel', () => { state.pinned = null; }, {passive: true});
        window.addEventListener('mousedown', () => { state.pinned = null; }, true);
        schedule();
        keepLast();
        return state.weights.length;
    }

    function isEditable(target) {
        return target && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName));
    }

    // The whole ledger in place of its beginning: the pieces on screen are fetched anew and
    // swapped in at once, the rest of the ledger joins the spacer.
    function complete(manifest) {
        // Pieces whose content did not change stay as they are: no fetching, no new layout.
        const shown = state.slots.filter(s => !s.el && s.index < manifest.weights.length &&
                                              manifest.hashes[s.index] !== state.hashes[s.index]);
        return Promise.all(shown.map(s => get(BASE + 'piece/' + s.index + '?v=' + manifest.version)))
            .then(texts => {
                const place = anchor();
                // A changed piece's height is no longer known.
                state.measured = state.measured.map((h, i) => manifest.hashes[i] === state.hashes[i] ? h : undefined);
                state.partial = manifest.partial;
                state.weights = manifest.weights;
                state.hashes = manifest.hashes;
                shown.forEach((slot, i) => {
                    const nodes = nodesFrom(texts[i]);
                    for (const node of nodes)
                        slot.nodes[0].parentNode.insertBefore(node, slot.nodes[0]);
                    for (const node of slot.nodes)
                        node.remove();
                    slot.nodes = nodes;
                    measure(slot);
                });
                showNotice(false);
                const last = state.slots[state.slots.length - 1];
                const lastIndex = last.el ? last.to : last.index;
                if (lastIndex + 1 < state.weights.length) {
                    if (last.el) {
                        last.to = state.weights.length - 1;
                    } else {
                        const gap = makeGap(lastIndex + 1, state.weights.length - 1);
                        const after = last.nodes[last.nodes.length - 1];
                        after.parentNode.insertBefore(gap.el, after.nextSibling);
                        state.slots.push(gap);
                    }
                }
                for (const slot of state.slots) {
                    if (slot.el)
                        sizeGap(slot);
                }
                restore(place);
                // Last: the program takes the new version as the sign that the whole is shown.
                state.version = manifest.version;
                schedule();
                keepLast();
                return state.weights.length;
            }, reason => {
                fail(shown.length ? shown[0].index : 0, reason);
                state.version = manifest.version; // nothing more will come: the program must not wait
                return state.weights.length;
            });
    }

    function goTo(index) {
        index = Math.max(0, Math.min(state.weights.length - 1, index));
        state.pinned = {index};
        window.scrollTo(0, pieceTop(index));
        schedule();
        return index;
    }

    // Text as the search compares it: Turkish letters folded, dotted and dotless i alike.
    function fold(text) {
        return text.toLocaleLowerCase('tr').replace(/\u0131/g, 'i').replace(/\u0307/g, '');
    }

    function textNodesOf(nodes) {
        const found = [];
        const skip = node => node.nodeType === Node.ELEMENT_NODE &&
            (node.hasAttribute('data-vz-repeat') || /^(SCRIPT|STYLE|TITLE)$/.test(node.tagName));
        const walk = node => {
            if (node.nodeType === Node.TEXT_NODE) {
                found.push(node);
            } else if (!skip(node)) {
                for (let child = node.firstChild; child; child = child.nextSibling)
                    walk(child);
            }
        };
        nodes.forEach(walk);
        return found;
    }

    // Selects the `occurrence`-th match (from 0) of `term` in piece `index` and brings it into
    // view; the count matches the program's own, which walks the same text the same way.
    function highlight(index, term, occurrence) {
        const wanted = fold(term);
        const reveal = () => {
            const slot = state.slots.find(s => !s.el && s.index === index);
            if (!slot)
                return false;
            let seen = 0;
            for (const node of textNodesOf(slot.nodes)) {
                const text = fold(node.data);
                for (let at = text.indexOf(wanted); at >= 0; at = text.indexOf(wanted, at + wanted.length)) {
                    if (seen++ < occurrence)
                        continue;
                    const range = document.createRange();
                    range.setStart(node, at);
                    range.setEnd(node, at + wanted.length);
                    const selection = window.getSelection();
                    selection.removeAllRanges();
                    selection.addRange(range);
                    const box = range.getBoundingClientRect();
                    state.pinned = null;
                    window.scrollTo(0, window.scrollY + box.top - window.innerHeight / 3);
                    return true;
                }
            }
            return false;
        };
        if (state.slots.some(s => !s.el && s.index === index))
            return Promise.resolve(reveal());
        goTo(index);
        return fetchPiece(index).then(html => {
            if (!state.slots.some(s => !s.el && s.index === index))
                insert(index, html);
            state.pinned = null;
            return reveal();
        }, reason => {
            fail(index, reason);
            return false;
        });
    }

    function onScreen(slot) {
        const extent = extentOf(slot.nodes);
        return extent.bottom > window.scrollY && extent.top < window.scrollY + window.innerHeight;
    }

    function status() {
        return {version: state.version, partial: state.partial, count: state.weights.length,
                current: state.weights.length ? anchor().index : 0,
                loaded: state.slots.filter(s => !s.el).map(s => s.index), failure: state.failure,
                visible: state.slots.filter(s => !s.el && onScreen(s)).map(s => s.index)};
    }

    window.__vz = {complete, goTo, highlight, status};

    // The page the program opened carries its manifest as the body's last element: the composer
    // starts from it as soon as the document is parsed, without waiting for a word from the program.
    const carried = document.body && document.body.lastElementChild;
    if (carried && carried.id === 'verazidedaze-manifest' && carried.type === 'application/json') {
        const manifest = JSON.parse(carried.textContent);
        carried.remove();
        // The last piece may come along with the page, so that End needs no request.
        const last = document.body.lastElementChild;
        if (last && last.id === 'verazidedaze-last' && last.tagName === 'TEMPLATE') {
            state.lastPiece = last.innerHTML;
            last.remove();
        }
        start(manifest);
    }
})();
