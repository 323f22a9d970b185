use std::collections::BTreeMap;
use std::fmt;

/// A tally of words, kept in sorted order.
#[derive(Debug, Default)]
pub struct Tally<'a> {
    counts: BTreeMap<&'a str, usize>,
}

impl<'a> Tally<'a> {
    pub fn add_text(&mut self, text: &'a str) -> usize {
        let mut added = 0;
        for word in text.split(|c: char| !c.is_alphanumeric() && c != '\'') {
            if word.is_empty() {
                continue;
            }
            *self.counts.entry(word).or_insert(0) += 1;
            added += 1;
        }
        added
    }

    pub fn top(&self, n: usize) -> Vec<(&'a str, usize)> {
        let mut all: Vec<_> = self.counts.iter().map(|(w, c)| (*w, *c)).collect();
        all.sort_by(|a, b| b.1.cmp(&a.1).then(a.0.cmp(b.0)));
        all.truncate(n);
        all
    }
}

impl fmt::Display for Tally<'_> {
    fn fmt(&self, f: &mut fmt::Formatter<'_>) -> fmt::Result {
        for (word, count) in &self.counts {
            writeln!(f, "{word:<12} {count:>5}")?;
        }
        Ok(())
    }
}

fn main() {
    let mut tally = Tally::default();
    let n = tally.add_text("it's the cat's hat; the cat isn't here, it's there");
    println!("{n} words\n{tally}");
    assert_eq!(tally.top(1), vec![("it's", 2)]);
}
