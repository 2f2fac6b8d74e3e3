// Puts what was carried from the previous piece's last page before this piece's first block,
// holder by holder (data-vz-f), then gives every block a name that printing turns into a PDF
// destination (a hidden link to it is what makes the engine write one). Blocks light enough to be
// kept whole in the view (a short account) may still break across pages: their own parts are
// marked as blocks too, the way the cutter marks them, down to rows, so that a page can be
// carried from any row.
// A block is named after the piece it comes from and its place among that piece's blocks, so that
// it has the same name in every layout of that piece, whatever was printed with it.
// Called as (piece, more, carry, containers): `piece` the document's piece loaded, `more` the
// pieces after it; returns {placed, ids, given}: `given` names, piece by piece, the blocks the
// document's pieces brought (not those carried in), '' for one without a name a PDF can hold, so
// that the printed pages can be checked for every one of them.
(function (piece, more, carry, containers) {
    const isContent = e => e.hasAttribute('data-vz-u') || e.hasAttribute('data-vz-f');
    // The pieces printed with this one join it holder by holder, their openings left out (all
    // that comes before their first block; only what is marked as such where there is none).
    const append = (from, into) => {
        const children = Array.from(from.childNodes);
        const blocks = children.some(c => c.nodeType === Node.ELEMENT_NODE && isContent(c));
        let leading = true;
        for (const child of children) {
            const element = child.nodeType === Node.ELEMENT_NODE;
            if (leading && (blocks ? !(element && isContent(child))
                                   : !element || child.hasAttribute('data-vz-repeat')))
                continue;
            leading = false;
            const frame = element ? child.getAttribute('data-vz-f') : null;
            const last = into.lastElementChild;
            if (frame !== null && last && last.getAttribute('data-vz-f') === frame)
                append(child, last);
            else
                into.appendChild(child);
        }
    };
    const source = new Map(); // block → the piece it comes from
    const originOf = element => {
        for (let at = element; at && at !== document.body; at = at.parentElement) {
            if (source.has(at))
                return source.get(at);
        }
        const inner = Array.from(element.querySelectorAll('[data-vz-u]')).reverse().find(u => source.has(u));
        return inner ? source.get(inner) : piece;
    };
    for (const unit of document.querySelectorAll('[data-vz-u]'))
        source.set(unit, piece);
    more.forEach((html, i) => {
        const range = document.createRange();
        range.selectNodeContents(document.body);
        const fragment = range.createContextualFragment(html);
        for (const unit of fragment.querySelectorAll('[data-vz-u]'))
            source.set(unit, piece + 1 + i);
        append(fragment, document.body);
    });
    const given = Array.from(source.keys());
    const merge = (from, into) => {
        const at = Array.from(into.children).find(isContent) || null;
        let leading = true;
        for (const child of Array.from(from.children)) {
            if (leading && !isContent(child) && !child.hasAttribute('data-vz-before'))
                continue; // the holder's own opening: this page has it already
            leading = false;
            const frame = child.getAttribute('data-vz-f');
            const same = frame === null ? null
                                        : Array.from(into.children).find(c => c.getAttribute('data-vz-f') === frame);
            if (same)
                merge(child, same);
            else
                into.insertBefore(child, at);
        }
    };
    let placed = false;
    if (carry) {
        const range = document.createRange();
        range.selectNodeContents(document.body);
        const fragment = range.createContextualFragment(carry.html);
        placed = fragment.children.length > 0;
        merge(fragment, document.body);
    }
    const cuttable = e => containers.includes(e.tagName.toLowerCase()) ||
                          (e.tagName === 'TR' && e.children.length === 1);
    let holders = 0;
    const divide = block => {
        if (!cuttable(block) || block.children.length === 0)
            return;
        // What repeats is the element name carrying most of the weight, from its first to its last.
        const weights = new Map();
        for (const child of block.children)
            weights.set(child.tagName, (weights.get(child.tagName) || 0) + child.getElementsByTagName('*').length + 1);
        let repeated = null;
        let heaviest = -1;
        for (const [name, weight] of weights) {
            if (weight > heaviest) {
                heaviest = weight;
                repeated = name;
            }
        }
        const children = Array.from(block.children);
        const names = children.map(child => child.tagName);
        block.setAttribute('data-vz-f', 's' + piece + '-' + holders++);
        for (let i = names.indexOf(repeated); i <= names.lastIndexOf(repeated); ++i) {
            children[i].setAttribute('data-vz-u', '');
            divide(children[i]);
        }
    };
    // What closes a holder here (an account's total) is a block too.
    for (const holder of document.querySelectorAll('[data-vz-f]')) {
        const children = Array.from(holder.children);
        let last = children.length - 1;
        while (last >= 0 && !isContent(children[last]))
            --last;
        for (const child of last < 0 ? [] : children.slice(last + 1)) {
            if (!/^(THEAD|TFOOT|COLGROUP|COL|CAPTION|SCRIPT|STYLE)$/.test(child.tagName)) {
                child.setAttribute('data-vz-u', '');
                source.set(child, originOf(children[last]));
            }
        }
    }
    for (const unit of document.querySelectorAll('[data-vz-u]')) {
        if (!unit.parentElement.closest('[data-vz-u]'))
            divide(unit);
    }
    const units = Array.from(document.querySelectorAll('[data-vz-u]'));
    const box = document.createElement('div');
    box.style.display = 'none';
    box.setAttribute('data-vz-own', '');
    const named = new Map(); // piece → blocks named
    const ids = units.map(unit => {
        if (!unit.id) {
            const origin = originOf(unit);
            const place = named.get(origin) || 0;
            named.set(origin, place + 1);
            unit.id = 'vz-' + origin + '-' + place;
        }
        if (!/^[A-Za-z][A-Za-z0-9_-]*$/.test(unit.id))
            return '';
        const link = document.createElement('a');
        link.href = '#' + unit.id;
        box.appendChild(link);
        return unit.id;
    });
    document.body.appendChild(box);
    const usable = new Set(ids);
    const blocks = {};
    for (const unit of given)
        (blocks[source.get(unit)] = blocks[source.get(unit)] || []).push(usable.has(unit.id) ? unit.id : '');
    return {placed, ids, given: blocks};
});
